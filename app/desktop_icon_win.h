#pragma once
// The desktop icon the installation asked for, given by the program to the
// user who runs it (the installer's administrator may be someone else).

namespace markomi {

// The user's record of the installation it was given the icon for, in the
// settings folder (removed with it by the uninstaller).
constexpr wchar_t kDesktopIconRecordName[] = L"Markomi2_desktop.txt";

// At start: when the installation asked for the icon and this user has not
// been given it by this installation, records that and makes the icon (an
// icon already there is left as it is). The record is written first: a user
// whose record cannot be written gets no icon rather than one at every start.
void give_desktop_icon_once();

// At start: the user's 送る entry 「マルコミ２で捺印」 (SendTo), made by the
// installed program for whoever runs it when it is missing (the elevated
// installer's user may be another); removed by the uninstaller.
void give_send_to_entry();

}  // namespace markomi
