#pragma once
// The end of a stamping: one dialog listing what was stamped (the document,
// its pages, the copy) and what was refused and why, with 「フォルダーを開く」
// and 閉じる.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/pdf_stamp_rules.h"

namespace markomi {

// Owned by and centred on `owner`; returns when closed. `inputs`, `outputs`
// and `replies` run in step (one each per document).
void show_stamping_summary(HWND owner, const std::vector<std::u16string>& inputs,
                           const std::vector<std::u16string>& outputs,
                           const std::vector<PdfStampReply>& replies);

}  // namespace markomi
