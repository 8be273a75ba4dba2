#include "ui/pdf_stamp_win.h"

#include "ui/stamping_window_win.h"

#include <utility>
#include <vector>

#include "base/message_wait_win.h"
#include "base/module_path_win.h"
#include "base/safe_file_win.h"
#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "output/pdf_stamp/pdf_placement.h"
#include "output/raster/image_file_rules.h"
#include "settings/memory_profile.h"
#include "settings/profile_file_win.h"
#include "settings/settings_files_win.h"
#include "settings/settings_rules.h"
#include "ui/stamp_date_win.h"

namespace markomi {
namespace {

constexpr DWORD kCompanionTimeoutMs = 10 * 60 * 1000;
// The reply lists every stamped page (25,000 pages take over 1 MiB): this
// bound is far above any document the companion finishes in its time.
constexpr std::size_t kReplyLimit = 64u << 20;
// The companion takes at most this many documents in one run.
constexpr std::size_t kMostBatchItems = 1000;

// A temporary file that goes when this object does. A child's console host
// or a virus scanner may hold it a moment past the child's end; what stays
// held longer is left to the start-up sweep, which knows its name.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) delete_file_patiently(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// The settings as they stand in the program, unsaved changes and all, in a
// file the companion reads as it reads the user's own.
bool write_settings_copy(const SettingsSet& set, const std::wstring& path) {
    MemoryProfile profile;
    SettingsSet copy = set;
    save_settings_to(profile, copy);
    return replace_file_with_bytes(path, encode_profile_text(profile.to_text(), ProfileEncoding::kUtf16Le, false));
}

// The companion beside the running program.
std::wstring companion_path() {
    const std::wstring program = running_program_file();
    if (program.empty()) return std::wstring();
    return program.substr(0, program.find_last_of(L'\\') + 1) + L"Markomi2Stamp.exe";
}

// Waits for the companion while this thread's windows go on painting and
// answer what other programs send them (a paste of an offered format, the
// end of the session). Input stays queued: no second command starts.
bool wait_for(HANDLE process) {
    return wait_answering_sent_messages(process, kCompanionTimeoutMs, true) == WaitEnd::kSignalled;
}

}  // namespace

namespace {

// Runs the companion for `request` (its settings file written from `set`)
// and returns all it wrote; nullopt when it could not be run or was ended.
std::optional<std::u16string> run_companion(const SettingsSet& set, PdfStampRequest request) {
    // The settings copy holds the user's name and the reply the user's file
    // names: a run killed meanwhile leaves them where the program's start-up
    // sweep finds them.
    TemporaryFile settings(create_temporary_settings_copy()), reply(create_temporary_program_file(L".txt"));
    if (settings.path().empty() || reply.path().empty() || !write_settings_copy(set, settings.path()))
        return std::nullopt;
    request.ini = as_u16(std::wstring_view(settings.path()));
    const std::wstring program = companion_path();
    std::wstring line = L"\"" + program + L"\"";
    for (const std::u16string& a : pdf_stamp_arguments(request)) line += L" " + to_wide(command_line_argument(a));
    // CreateProcessW takes a command line of at most 32,767 characters; a
    // batch longer than that is refused here rather than cut.
    if (line.size() >= 32767) return std::nullopt;

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(reply.path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (out == INVALID_HANDLE_VALUE) return std::nullopt;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    startup.hStdInput = nullptr;
    PROCESS_INFORMATION process{};
    // No console: the companion writes only to the file it is given (see
    // the page renderer's runs).
    const BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(out);
    if (!started) return std::nullopt;
    CloseHandle(process.hThread);
    const bool ended = wait_for(process.hProcess);
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    if (!ended) return std::nullopt;

    const FileBytes bytes = read_file_bytes(reply.path(), kReplyLimit);
    if (bytes.state != FileRead::kRead) return std::nullopt;
    return utf8_to_u16(bytes.bytes);
}

// The reply of a single document: a line of UTF-8 JSON; the messages on the
// error stream come before it and start otherwise. Nullopt without one.
std::optional<PdfStampReply> single_reply(const std::u16string& text) {
    if (text.find(u"\n{") == std::u16string::npos && text.rfind(u"{", 0) != 0) return std::nullopt;
    return read_pdf_stamp_replies(text, 1).front();
}

}  // namespace

std::optional<PdfStampReply> stamp_pdf_with_companion(const SettingsSet& set,
                                                      PdfStampRequest request) {
    const std::optional<std::u16string> text = run_companion(set, std::move(request));
    return text ? single_reply(*text) : std::nullopt;
}

std::vector<PdfStampReply> stamp_pdfs_with_companion(
    const SettingsSet& set, int slot, const StampDate& date, const std::vector<PdfBatchItem>& items,
    const PdfStampOptions& options, const std::optional<PdfPosition>& place, bool replace,
    bool flatten, bool allow_signed) {
    PdfStampRequest request;
    request.slot = slot + 1;
    request.date = date;
    request.options = options;
    request.place = place;
    request.replace = replace;
    request.flatten = flatten;
    request.allow_signed = allow_signed;
    std::vector<PdfStampReply> replies;
    replies.reserve(items.size());
    // A command line holds at most 32,767 characters: a pile of long names
    // goes in as many runs as it takes, each well within that.
    constexpr std::size_t kLineBudget = 24000;
    std::size_t next = 0;
    while (next < items.size()) {
        std::size_t length = 0, end = next;
        do {
            length += command_line_argument(items[end].input).size() +
                      command_line_argument(items[end].output).size() + 32;
            ++end;
        } while (end < items.size() && end - next < kMostBatchItems &&
                 length + command_line_argument(items[end].input).size() +
                         command_line_argument(items[end].output).size() + 32 <
                     kLineBudget);
        std::vector<PdfStampReply> part(end - next);
        const PdfBatchItem& first = items[next];
        if (end - next == 1 && !replace &&
            GetFileAttributesW(to_wide(first.output).c_str()) != INVALID_FILE_ATTRIBUTES) {
            // One document goes in the single form, which always replaces:
            // an existing copy is refused here when replacing was not asked.
            part.front().refusal = PdfRefusal::kExists;
        } else {
            request.batch.assign(items.begin() + static_cast<std::ptrdiff_t>(next),
                                 items.begin() + static_cast<std::ptrdiff_t>(end));
            request.input = first.input;
            request.output = first.output;
            if (request.batch.size() == 1) request.batch.clear();
            const std::optional<std::u16string> text = run_companion(set, request);
            if (text) part = read_pdf_stamp_replies(*text, end - next);
        }
        replies.insert(replies.end(), part.begin(), part.end());
        next = end;
    }
    return replies;
}

std::optional<PdfStampReply> read_companion_reply(const std::wstring& path) {
    const FileBytes bytes = read_file_bytes(path, kReplyLimit);
    if (bytes.state != FileRead::kRead) return std::nullopt;
    return single_reply(utf8_to_u16(bytes.bytes));
}

void run_pdf_stamp_command(HWND owner) { open_stamping_window(owner, {}); }

}  // namespace markomi
