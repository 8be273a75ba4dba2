#include "tools/companion_args.h"

#include <algorithm>

#include "base/u16_format.h"
#include "dates/date_text.h"
#include "output/pdf_sign/cms_attributes.h"
#include "output/raster/image_file_rules.h"
#include "ui/pdf_stamp_rules.h"

namespace markomi {
namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

int digits_value(std::u16string_view text) {
    int v = 0;
    for (char16_t c : text) v = v * 10 + (c - u'0');
    return v;
}

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

CompanionParse fail(std::u16string message) {
    CompanionParse p;
    p.error = std::move(message);
    return p;
}

// Characters, not UTF-16 units: a character beyond the BMP counts once.
std::size_t character_count(std::u16string_view text) {
    std::size_t n = 0;
    for (char16_t c : text) n += c < 0xDC00 || c > 0xDFFF;
    return n;
}

// The certificate commands take their own few options: --out FILE.cer for
// the export, --ini and --slot for the new certificate, nothing else.
CompanionParse certificate_command(const CompanionArgs& a, const std::vector<std::u16string>& outs,
                                   bool other_options) {
    const int commands = int{a.list_certificates} + int{a.new_certificate} + int{a.export_certificate.has_value()};
    if (commands > 1 || other_options || !a.stamp_onto.empty() || a.clipboard || a.diagnose || a.dpi || a.format ||
        a.date || (!a.new_certificate && (a.ini || a.slot != 0)) || outs.size() != (a.export_certificate ? 1u : 0u))
        return fail(u"--list-certificates, --new-certificate [--ini FILE] [--slot N] and --export-certificate HEX "
                    u"--out FILE.cer each stand alone / 証明書のコマンドは単独で");
    if (a.export_certificate && lower_case_text(find_file_extension(outs.front())) != u".cer")
        return fail(u"--export-certificate writes a .cer file / --export-certificate の --out は .cer");
    CompanionParse p;
    p.args = a;
    return p;
}

// `--render IN.pdf [--page N] [--dpi D] [--out PAGE.png]`: a line of its own,
// which takes nothing of the stamp's options.
CompanionParse parse_render_line(const std::vector<std::u16string>& argv) {
    CompanionArgs a;
    auto number = [](const std::u16string& v, int most) {
        const bool digits = !v.empty() && v.size() <= 6 &&
                            std::all_of(v.begin(), v.end(), [](char16_t c) { return is_digit(c); });
        const int n = digits ? digits_value(v) : 0;
        return n <= most ? n : 0;
    };
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::u16string& opt = argv[i];
        if (opt != u"--render" && opt != u"--page" && opt != u"--dpi" && opt != u"--out")
            return fail(u"--render takes only --page, --dpi and --out / --render と一緒に使えない引数: " + opt);
        if (i + 1 >= argv.size() || argv[i + 1].empty()) return fail(opt + u" needs a value / 値がありません");
        const std::u16string& v = argv[++i];
        if (opt == u"--render") {
            a.render = v;
        } else if (opt == u"--out") {
            if (lower_case_text(find_file_extension(v)) != u".png")
                return fail(u"--render writes a .png file / --render の --out は .png");
            a.out = v;
        } else if (opt == u"--page") {
            a.render_page = number(v, 999999);
            if (a.render_page < 1) return fail(u"--page takes a page number / --page はページ番号");
        } else {
            a.render_dpi = number(v, 600);
            if (a.render_dpi < 10) return fail(u"--dpi takes 10 to 600 with --render / --render の --dpi は 10 から 600");
        }
    }
    CompanionParse p;
    p.args = a;
    return p;
}

}  // namespace

std::optional<std::u16string> signing_certificate_choice(const CompanionArgs& args, const PdfStampOptions& pdf) {
    if (!args.sign) return std::nullopt;
    if (args.cert) return args.cert;
    if (pdf.certificate.empty()) return std::nullopt;
    return std::u16string(pdf.certificate.view());
}

std::u16string stamped_copy_in_folder(std::u16string_view folder, std::u16string_view input) {
    const std::size_t slash = input.find_last_of(u"\\/:");
    std::u16string copy(folder);
    if (!copy.empty() && copy.back() != u'\\' && copy.back() != u'/') copy += u'\\';
    return copy +
           stamped_pdf_name(input.substr(slash == std::u16string_view::npos ? 0 : slash + 1));
}

std::optional<StampDate> parse_iso_date(std::u16string_view text) {
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-') return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!is_digit(text[i])) return std::nullopt;
    StampDate d;
    d.year = digits_value(text.substr(0, 4));
    d.month = digits_value(text.substr(5, 2));
    d.day = digits_value(text.substr(8, 2));
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > days_in_month(d.year, d.month))
        return std::nullopt;
    d.weekday = weekday_of(d.year, d.month, d.day);
    return d;
}

CompanionParse parse_companion_args(const std::vector<std::u16string>& argv) {
    CompanionArgs a;
    const char16_t* pdf_only = nullptr;  // the first option that only a PDF stamping takes
    std::vector<std::u16string> outs;    // every --out, in order
    bool margin_given = false;
    bool reason_given = false;
    for (const std::u16string& word : argv) {
        if (word == u"--help" || word == u"-h" || word == u"/?" || word == u"-?") a.help = true;
        if (word == u"--version") a.version = true;
    }
    if (a.help || a.version) {
        CompanionParse p;
        p.args = a;
        return p;
    }
    if (std::find(argv.begin(), argv.end(), u"--render") != argv.end()) return parse_render_line(argv);
    // `--verify IN.pdf`: one document, nothing else on the line.
    if (std::find(argv.begin(), argv.end(), u"--verify") != argv.end()) {
        if (argv.size() != 2 || argv[0] != u"--verify" || argv[1].empty())
            return fail(u"--verify takes one PDF file and nothing else / --verify には PDF ファイルを一つだけ");
        CompanionParse p;
        p.args = a;
        p.args->verify = argv[1];
        return p;
    }
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::u16string& opt = argv[i];
        const bool has_value = i + 1 < argv.size();
        auto value = [&]() -> const std::u16string& { return argv[++i]; };
        if (opt == u"--clipboard") {
            a.clipboard = true;
        } else if (opt == u"--diagnose") {
            a.diagnose = true;
        } else if (opt == u"--allow-signed" || opt == u"--replace" || opt == u"--flatten") {
            (opt == u"--replace" ? a.replace : opt == u"--flatten" ? a.flatten : a.allow_signed) = true;
            pdf_only = pdf_only ? pdf_only : opt.c_str();
        } else if (opt == u"--sign") {
            a.sign = true;
            pdf_only = pdf_only ? pdf_only : opt.c_str();
        } else if (opt == u"--list-certificates" || opt == u"--new-certificate") {
            (opt == u"--new-certificate" ? a.new_certificate : a.list_certificates) = true;
        } else if (opt == u"--cert" || opt == u"--reason" || opt == u"--location" ||
                   opt == u"--export-certificate") {
            if (!has_value) return fail(opt + u" needs a value / 値がありません");
            const std::u16string& v = value();
            if (opt == u"--cert" || opt == u"--export-certificate") {
                const std::optional<std::u16string> thumbprint = parse_thumbprint(v);
                if (!thumbprint)
                    return fail(opt + u" takes the certificate's thumbprint, 40 hex digits / " + opt +
                                u" は証明書の拇印(16 進数 40 桁)");
                if (opt == u"--export-certificate") {
                    a.export_certificate = thumbprint;
                    continue;
                }
                a.cert = thumbprint;
                a.sign = true;
            } else if (opt == u"--reason") {
                if (v != u"承認" && v != u"受付") return fail(u"--reason takes 承認 or 受付 / --reason は 承認 か 受付");
                a.reason = v;
                reason_given = true;
            } else {
                if (character_count(v) > kMostLocationCharacters)
                    return fail(u"--location takes at most 200 characters / --location は 200 文字まで");
                a.location = v;
            }
            pdf_only = pdf_only ? pdf_only : opt.c_str();
        } else if (opt == u"--out-dir") {
            if (!has_value || argv[i + 1].empty())
                return fail(u"--out-dir needs a folder / フォルダーがありません");
            a.out_dir = value();
            pdf_only = pdf_only ? pdf_only : opt.c_str();
        } else if (opt == u"--stamp-onto" || opt == u"--page" || opt == u"--at" ||
                   opt == u"--margin") {
            if (!has_value) return fail(opt + u" needs a value / 値がありません");
            const std::u16string& v = value();
            if (opt == u"--stamp-onto") {
                if (v.empty()) return fail(u"--stamp-onto needs a file name / ファイル名がありません");
                if (a.stamp_onto.size() == kMostStampedDocuments)
                    return fail(
                        u"at most 1000 documents at once / 一度に捺印できるのは 1000 件まで");
                a.stamp_onto.push_back(v);
                continue;
            }
            pdf_only = pdf_only ? pdf_only : opt.c_str();
            if (opt == u"--page") {
                const std::optional<PdfPageChoice> pages = parse_pdf_pages(v);
                if (!pages)
                    return fail(u"--page takes first, last, all or page numbers like 1,3 / --page は first・last・all か 1,3 のようなページ番号");
                a.pages = *pages;
            } else if (opt == u"--at") {
                const std::optional<PdfPosition> at = parse_pdf_position(v);
                if (!at)
                    return fail(u"--at takes top-left, top, top-right, left, centre, right, bottom-left, bottom, bottom-right, X,Y or CORNER:X,Y in mm / --at は位置の名前か X,Y か 角:X,Y (mm)");
                a.position.anchor = at->anchor;
                a.position.corner = at->corner;
                a.position.x_mm = at->x_mm;
                a.position.y_mm = at->y_mm;
            } else {
                const std::optional<double> margin = parse_millimetres(v);
                if (!margin || *margin > 1000)
                    return fail(u"--margin takes millimetres from 0 to 1000 / --margin は 0 から 1000 (mm)");
                a.position.margin_mm = *margin;
                margin_given = true;
            }
        } else if (opt == u"--ini" || opt == u"--slot" || opt == u"--date" || opt == u"--format" ||
                   opt == u"--out" || opt == u"--dpi") {
            if (!has_value) return fail(opt + u" needs a value / 値がありません");
            const std::u16string& v = value();
            if (opt == u"--ini") {
                a.ini = v;
            } else if (opt == u"--out") {
                if (v.empty()) return fail(u"--out needs a file name / ファイル名がありません");
                if (outs.size() == kMostStampedDocuments)
                    return fail(u"too many --out / --out が多すぎます");
                outs.push_back(v);
                a.out = outs.front();
            } else if (opt == u"--slot") {
                if (v.size() != 1 || v[0] < u'1' || v[0] > u'7')
                    return fail(u"--slot takes 1 to 7 / --slot は 1 から 7");
                a.slot = v[0] - u'0';
            } else if (opt == u"--dpi") {
                const bool digits = !v.empty() && v.size() <= 4 &&
                                    std::all_of(v.begin(), v.end(), [](char16_t c) { return is_digit(c); });
                const int dpi = digits ? digits_value(v) : 0;
                if (dpi < 96 || dpi > 1200) return fail(u"--dpi takes 96 to 1200 / --dpi は 96 から 1200");
                a.dpi = dpi;
            } else if (opt == u"--date") {
                a.date = parse_iso_date(v);
                if (!a.date) return fail(u"--date takes YYYY-MM-DD / --date は YYYY-MM-DD 形式");
            } else {
                if (v != u"B" && v != u"M") return fail(u"--format takes B or M / --format は B か M");
                a.format = v[0];
            }
        } else {
            return fail(u"unknown argument / 不明な引数: " + opt);
        }
    }
    if (a.list_certificates || a.new_certificate || a.export_certificate)
        return certificate_command(a, outs, pdf_only != nullptr || margin_given);
    if ((reason_given || a.location) && !a.sign)
        return fail(u"--reason and --location are for --sign or --cert / --reason と --location は --sign か --cert と一緒に");
    // A signature covers the file as it is: a stamp drawn into rewritten pages
    // cannot be signed here.
    if (a.sign && a.flatten)
        return fail(u"--sign and --cert cannot go with --flatten / --sign と --cert は --flatten と一緒に使えません");
    if (!a.stamp_onto.empty()) {
        if (a.out_dir) {
            if (!outs.empty())
                return fail(
                    u"--out-dir or --out, not both / --out-dir と --out は一緒に使えません");
            for (const std::u16string& input : a.stamp_onto)
                a.copies.push_back(stamped_copy_in_folder(*a.out_dir, input));
        } else {
            if (outs.size() != a.stamp_onto.size())
                return fail(
                    u"each --stamp-onto needs its --out FILE.pdf, or give --out-dir / --stamp-onto "
                    u"ごとに --out が必要(または --out-dir)");
            for (const std::u16string& out : outs)
                if (lower_case_text(find_file_extension(out)) != u".pdf")
                    return fail(u"--stamp-onto writes a .pdf file / --stamp-onto の --out は .pdf");
            a.copies = outs;
        }
        // One document named with its copy is replaced as asked; a batch
        // may meet copies of an earlier day, replaced only on request.
        if (a.stamp_onto.size() == 1 && !a.out_dir) a.replace = true;
        a.out.reset();
        if (a.clipboard || a.diagnose || a.dpi || a.format)
            return fail(
                u"--stamp-onto takes only --ini, --slot, --date, --out, --out-dir, --page, --at, "
                u"--margin, --flatten, --allow-signed, --replace and the signing options / --stamp-onto "
                u"と一緒に使えない引数があります");
        if (margin_given && (a.position.anchor == PdfAnchor::kPoint || a.position.anchor == PdfAnchor::kFromCorner))
            return fail(u"--margin is for the named positions, not X,Y / --margin は位置の名前と一緒に");
    } else if (pdf_only) {
        return fail(std::u16string(pdf_only) + u" is for --stamp-onto / " + pdf_only + u" は --stamp-onto と一緒に");
    }
    if (outs.size() > 1 && a.stamp_onto.empty()) return fail(u"give --out once / --out は一つだけ");
    if (int{a.clipboard} + int{a.out.has_value() || !a.copies.empty()} + int{a.diagnose} != 1)
        return fail(u"give exactly one of --out FILE, --clipboard and --diagnose / --out と --clipboard と --diagnose のどれか一つを指定");
    if (a.dpi && !a.out)
        return fail(u"--dpi is for --out FILE.bmp, .png or .jpg / --dpi は --out の .bmp .png .jpg に");
    // The diagnosis covers every slot and both clipboard formats itself.
    if (a.diagnose && (a.slot != 0 || a.format))
        return fail(u"--diagnose takes only --ini and --date / --diagnose と一緒に使えるのは --ini と --date だけ");
    CompanionParse p;
    p.args = a;
    return p;
}

std::u16string companion_usage() {
    return u"使い方: Markomi2Stamp [--ini ファイル] [--slot 1-7] [--date YYYY-MM-DD] [--format "
           u"B|M]\n"
           u"                      [--dpi 96-1200] (--out ファイル.bmp|.png|.jpg|.emf|.svg|.pdf | "
           u"--clipboard)\n"
           u"       Markomi2Stamp [--ini ファイル] [--slot 1-7] [--date YYYY-MM-DD] --stamp-onto "
           u"元.pdf (--out 出力.pdf | --out-dir フォルダー)\n"
           u"                      [--page first|last|all|N[,M-N...]] [--at 位置|X,Y|角:X,Y] "
           u"[--margin mm] [--flatten [--allow-signed]] [--replace]\n"
           u"                      [--sign | --cert 拇印] [--reason 承認|受付] [--location 場所]\n"
           u"       Markomi2Stamp --list-certificates | [--ini ファイル] [--slot 1-7] --new-certificate\n"
           u"       Markomi2Stamp --export-certificate 拇印 --out 証明書.cer\n"
           u"       Markomi2Stamp [--ini ファイル] [--date YYYY-MM-DD] --diagnose\n"
           u"       Markomi2Stamp --render 元.pdf [--page N] [--dpi 10-600] [--out ページ.png]\n"
           u"       Markomi2Stamp --verify 元.pdf\n"
           u"       Markomi2Stamp --help | --version\n"
           u"  日付印を設定ファイルから描き、画像ファイルかクリップボードに出力します。\n"
           u"  --dpi: BMP・PNG・JPG を同じ大きさのまま指定の解像度で作ります(印刷用、省略時 96)。\n"
           u"  --stamp-onto: PDF の各ページに日付印を重ねた写しを --out "
           u"に書きます(元のファイルは変えません)。\n"
           u"    --page 既定 first。--at 既定 top-right (top-left top left centre right "
           u"bottom-left bottom\n"
           u"    bottom-right、見えるページの左上から印の中心までの X,Y mm、または top-right:X,Y "
           u"のように\n"
           u"    その角から内側へ測った X,Y mm)。--margin 既定 10 "
           u"mm。印全体がページに収まらない位置は断ります。\n"
           u"    --page は 1,3 や 2-4 のような並びも(全角数字・、・～ も可)。\n"
           u"    印影は注釈として元のバイトの後ろに追記し、前の電子署名は有効なままです。\n"
           u"    --flatten: 印影を文書に埋め込み(署名なし)、ファイル全体を書き直します。\n"
           u"    このとき電子署名のある PDF は --allow-signed のときだけ(署名は無効になります)。\n"
           u"    複数の PDF: --stamp-onto 元 --out 出力 を組で並べるか、--stamp-onto 元 ... "
           u"--out-dir フォルダー\n"
           u"    (写しは フォルダー\\<名前>_捺印.pdf)。文書ごとに JSON を 1 行。既存の写しは "
           u"--replace のときだけ置き換えます。\n"
           u"  --verify: PDF の電子署名と日付印を調べ JSON で書きます(終了コード 0 "
           u"すべての署名が有効か未確認、1 無効な署名あり、2 読めない)。\n"
           u"  --sign: 覚えている証明書で印に電子署名します。--cert 拇印(16 進数 40 桁)ならその証明書で。\n"
           u"    --reason 既定 承認。--list-certificates: 署名に使える証明書を JSON で。\n"
           u"  --new-certificate: 設定の氏名と部署名から個人用の証明書を作り、覚えます。\n"
           u"  --export-certificate: 証明書の公開部分を .cer ファイルに書きます(同僚に渡す用)。\n"
           u"  --diagnose: この PC での出力の様子を JSON "
           u"で標準出力に書きます(クリップボードも使います)。\n"
           u"Usage: Markomi2Stamp [--ini FILE] [--slot 1-7] [--date YYYY-MM-DD] [--format B|M]\n"
           u"                     [--dpi 96-1200] (--out FILE.bmp|.png|.jpg|.emf|.svg|.pdf | "
           u"--clipboard)\n"
           u"       Markomi2Stamp [--ini FILE] [--slot 1-7] [--date YYYY-MM-DD] --stamp-onto "
           u"IN.pdf (--out OUT.pdf | --out-dir DIR)\n"
           u"                     [--page first|last|all|N[,M-N...]] [--at "
           u"POSITION|X,Y|CORNER:X,Y] [--margin MM] [--flatten [--allow-signed]] [--replace]\n"
           u"                     [--sign | --cert THUMBPRINT] [--reason 承認|受付] [--location TEXT]\n"
           u"       Markomi2Stamp --list-certificates | [--ini FILE] [--slot 1-7] --new-certificate\n"
           u"       Markomi2Stamp --export-certificate THUMBPRINT --out FILE.cer\n"
           u"       Markomi2Stamp [--ini FILE] [--date YYYY-MM-DD] --diagnose\n"
           u"       Markomi2Stamp --render IN.pdf [--page N] [--dpi 10-600] [--out PAGE.png]\n"
           u"       Markomi2Stamp --verify IN.pdf\n"
           u"       Markomi2Stamp --help | --version\n"
           u"  Renders the date stamp from a settings file into an image file or onto the "
           u"clipboard.\n"
           u"  --dpi: makes BMP, PNG and JPG at that resolution and the same size, for printing "
           u"(96 if absent).\n"
           u"  --stamp-onto: writes a copy of the PDF with the stamp on its pages to --out (the "
           u"input is kept).\n"
           u"    --page: first by default. --at: top-right by default (top-left top left centre "
           u"right\n"
           u"    bottom-left bottom bottom-right, or X,Y in mm of the stamp's centre from the "
           u"visible page's\n"
           u"    top-left corner, or CORNER:X,Y in mm inwards from that corner, e.g. "
           u"top-right:25,20).\n"
           u"    --margin: 10 mm by default. A place where the whole stamp does not fit is "
           u"refused.\n"
           u"    --page also takes ranges like 2-4. The stamp is an annotation appended to the "
           u"input's bytes\n"
           u"    (an incremental update): earlier digital signatures stay valid.\n"
           u"    --flatten: draws the stamp into the pages and rewrites the whole file; a signed PDF "
           u"then only\n"
           u"    with --allow-signed (its signature no longer covers the document).\n"
           u"    Several PDFs: --stamp-onto IN --out OUT in pairs, or --stamp-onto IN ... "
           u"--out-dir DIR\n"
           u"    (copies DIR\\<name>_捺印.pdf); one JSON line per document. Existing copies are "
           u"replaced\n"
           u"    only with --replace.\n"
           u"  --verify: checks the PDF's signatures and date stamps and writes them as JSON (exit 0\n"
           u"  when every signature holds, 1 when one does not, 2 when the file cannot be read).\n"
           u"  --sign: signs each stamp with the remembered certificate; --cert THUMBPRINT (40 hex\n"
           u"    digits) with that one. --reason: 承認 by default. --list-certificates: the usable\n"
           u"    ones as JSON. --new-certificate: makes a personal certificate from the settings'\n"
           u"    name and department lines and remembers it. --export-certificate: writes its\n"
           u"    public part to a .cer file, to give to colleagues.\n"
           u"  --diagnose: writes how this system makes every output as JSON to standard output\n"
           u"  (it uses the clipboard too).\n";
}

const char16_t* companion_design_name(int slot_index) {
    static const char16_t* const kDesigns[] = {u"normal", u"flower",  u"star",  u"insect",
                                               u"typhoon", u"diamond", u"animal"};
    return slot_index >= 0 && slot_index < kSlotCount ? kDesigns[slot_index] : u"";
}

std::u16string json_string(std::u16string_view text) {
    std::u16string out = u"\"";
    for (char16_t c : text) {
        switch (c) {
            case u'"': out += u"\\\""; break;
            case u'\\': out += u"\\\\"; break;
            case u'\n': out += u"\\n"; break;
            case u'\r': out += u"\\r"; break;
            case u'\t': out += u"\\t"; break;
            default:
                if (c < 0x20) {
                    static const char16_t kHex[] = u"0123456789abcdef";
                    out += u"\\u00";
                    out.push_back(kHex[c >> 4]);
                    out.push_back(kHex[c & 15]);
                } else {
                    out.push_back(c);
                }
        }
    }
    out += u"\"";
    return out;
}

}  // namespace markomi
