#include "output/pdf_stamp/pdf_stamp_result.h"

#include "base/u16_format.h"

namespace markomi {
namespace {

// Each refusal says what happened and, after the page it is about, what
// the user can do about it.
struct RefusalText {
    PdfRefusal refusal;
    const char16_t* name;
    const char16_t* cause;   // Japanese, without the closing 。
    const char16_t* remedy;  // Japanese, whole sentences
    const char16_t* english;
};

constexpr char16_t kSaveAgain[] = u"PDF ビューアーで開いて保存し直してから、もう一度お試しください。";

const RefusalText kTexts[] = {
    {PdfRefusal::kUnreadable, u"unreadable", u"PDF ファイルを読み込めません。ファイルが壊れている可能性があります",
     kSaveAgain, u"the PDF file cannot be read"},
    {PdfRefusal::kNotPdf, u"not-pdf", u"PDF ファイルではありません",
     u"名前が .pdf でも中身が PDF でないファイルです。PDF として保存したファイルを選んでください。",
     u"the file is not a PDF document"},
    {PdfRefusal::kPassword, u"password", u"パスワードで保護された PDF のため捺印できません",
     u"パスワードを外した PDF を作成者に依頼してください。", u"the PDF needs a password to open"},
    {PdfRefusal::kForbidsChanges, u"forbids-changes",
     u"この PDF は変更が禁止されている(セキュリティで保護されている)ため捺印できません",
     u"変更を許可した PDF を作成者に依頼してください。", u"the PDF's security settings forbid changes"},
    {PdfRefusal::kSigned, u"signed", u"この PDF には電子署名があります",
     u"印影を文書に埋め込むと署名は文書全体を証明しなくなります。署名を残すには、埋め込まずに捺印してください。",
     u"the PDF carries a digital signature, which a stamp drawn into its pages would no longer cover "
     u"(stamp without --flatten to keep it, or use --allow-signed)"},
    {PdfRefusal::kNoSuchPage, u"no-such-page", u"指定したページがありません",
     u"ページの指定を確かめてください。", u"the document has no such page"},
    {PdfRefusal::kOffPage, u"off-page", u"スタンプ全体がページに収まりません", u"位置か余白を変えてください。",
     u"the whole stamp does not fit on the page"},
    {PdfRefusal::kSameFile, u"same-file", u"元の PDF ファイルには上書きできません",
     u"別の名前で保存してください。", u"the output would replace the input; choose another name"},
    {PdfRefusal::kNotWritten, u"not-written", u"捺印した PDF ファイルを書き込めませんでした",
     u"別の名前か別のフォルダーを選んで、もう一度保存してください。", u"the stamped PDF could not be written"},
    {PdfRefusal::kBadGeometry, u"bad-geometry",
     u"ページの大きさや単位の値が PDF の範囲を超えているため捺印できません", kSaveAgain,
     u"the page's size or unit is beyond what PDF allows"},
    {PdfRefusal::kDamagedLarge, u"damaged-large",
     u"PDF ファイルが壊れています。大きいファイルのため修復できません", kSaveAgain,
     u"the PDF is damaged and too large to be repaired here; save it again from a PDF reader first"},
    {PdfRefusal::kPageTree, u"page-tree", u"ページの構成が深すぎるか大きすぎるため、この PDF には捺印できません",
     kSaveAgain, u"the document's page tree is too deep or too large"},
    {PdfRefusal::kPageContent, u"page-content", u"ページの内容が大きすぎるため捺印できません", kSaveAgain,
     u"the page's content is too large to stamp safely"},
    {PdfRefusal::kMissing, u"missing", u"ファイルが見つかりません",
     u"移動や削除、名前の変更がされていないか確かめてください。", u"there is no such file"},
    {PdfRefusal::kLocked, u"locked", u"ほかのプログラムがこのファイルを使っているため読み込めません",
     u"閲覧ソフトなどで開いているときは閉じてから、もう一度お試しください。",
     u"another program has the file open"},
    {PdfRefusal::kExists, u"exists", u"捺印した PDF と同じ名前のファイルがすでにあります",
     u"置き換えるか、別の名前で保存してください。", u"the stamped copy's name is taken (use --replace)"},
    {PdfRefusal::kDiskFull, u"disk-full", u"ディスクがいっぱいのため、捺印した PDF を書き込めませんでした",
     u"不要なファイルを削除して空きを作るか、別のドライブのフォルダーを選んで、もう一度保存してください。",
     u"the disk is full"},
    {PdfRefusal::kOutputLocked, u"out-locked",
     u"ほかのプログラムが保存先のファイルを開いているため、置き換えられませんでした",
     u"閲覧ソフトなどで開いているときは閉じてから、もう一度保存してください。",
     u"another program has the output file open"},
    {PdfRefusal::kDenied, u"denied",
     u"保存先に書き込めません。読み取り専用のファイルか、書き込みが許されていないフォルダーです",
     u"別のフォルダーを選んで、もう一度保存してください。",
     u"the output is read-only or its folder cannot be written"},
    {PdfRefusal::kNoFolder, u"no-folder", u"保存先のフォルダーがありません",
     u"フォルダーが移動や削除、名前の変更をされていないか確かめるか、別のフォルダーを選んでください。",
     u"the output's folder does not exist"},
    {PdfRefusal::kNeedsRewrite, u"needs-rewrite",
     u"この PDF は壊れているか暗号化されているため、元の内容を残したまま印影を追加できません",
     u"「印影を文書に埋め込む（署名なし）」を選ぶと、文書全体を書き直して捺印できます。",
     u"the PDF is damaged or encrypted and cannot be added to without rewriting it (use --flatten)"},
    {PdfRefusal::kCertifiedNoChanges, u"certified-no-changes",
     u"この PDF は証明用の電子署名で変更が禁止されているため捺印できません",
     u"変更を許可した PDF を作成者に依頼してください。",
     u"the PDF's certifying signature forbids this change"},
    {PdfRefusal::kSigningFailed, u"signing-failed", u"電子署名ができませんでした",
     u"証明書と IC カードを確かめて、もう一度お試しください。", u"signing failed"},
    {PdfRefusal::kSignatureTooLarge, u"signature-too-large",
     u"電子署名が大きすぎて、用意した場所に収まりません",
     u"証明書の連鎖が短い証明書を選んで、もう一度お試しください。",
     u"the signature is larger than the room kept for it"},
};

const RefusalText* text_of(PdfRefusal refusal) {
    for (const RefusalText& t : kTexts)
        if (t.refusal == refusal) return &t;
    return nullptr;
}

std::u16string page_note(const PdfStampResult& r, bool japanese) {
    if (r.refusal != PdfRefusal::kNoSuchPage && r.refusal != PdfRefusal::kOffPage &&
        r.refusal != PdfRefusal::kBadGeometry && r.refusal != PdfRefusal::kPageContent)
        return u"";
    if (japanese)
        return u"(" + decimal_text(r.bad_page) + u" ページ目" +
               (r.refusal == PdfRefusal::kNoSuchPage ? u"、文書は全 " + decimal_text(r.page_count) + u" ページ)"
                                                    : std::u16string(u")"));
    return u" (page " + decimal_text(r.bad_page) +
           (r.refusal == PdfRefusal::kNoSuchPage ? u" of " + decimal_text(r.page_count) + u")"
                                                 : std::u16string(u")"));
}

}  // namespace

std::u16string pdf_refusal_japanese(const PdfStampResult& result) {
    const RefusalText* t = text_of(result.refusal);
    return t ? t->cause + page_note(result, true) + u"。" + t->remedy : std::u16string();
}

std::u16string pdf_refusal_bilingual(const PdfStampResult& result) {
    const RefusalText* t = text_of(result.refusal);
    if (!t) return u"";
    std::u16string text = t->english + page_note(result, false) + u" / " + pdf_refusal_japanese(result);
    if (!result.detail.empty()) text += u" (" + utf8_to_u16(result.detail) + u")";
    return text;
}

const char16_t* pdf_refusal_name(PdfRefusal refusal) {
    const RefusalText* t = text_of(refusal);
    return t ? t->name : u"";
}

PdfRefusal pdf_refusal_named(std::u16string_view name) {
    for (const RefusalText& t : kTexts)
        if (name == t.name) return t.refusal;
    return PdfRefusal::kNotWritten;
}

}  // namespace markomi
