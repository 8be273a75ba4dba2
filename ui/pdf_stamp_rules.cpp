#include "ui/pdf_stamp_rules.h"

#include <algorithm>
#include <cmath>

#include "base/u16_format.h"
#include "output/raster/image_file_rules.h"

namespace markomi {
namespace {

// A count or page number of a reply; nine digits at most are read, so that
// a longer one (never a page number) cannot overflow.
int number_at(std::u16string_view text) {
    int v = 0;
    for (std::size_t i = 0; i < text.size() && i < 9; ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9') break;
        v = v * 10 + (c - u'0');
    }
    return v;
}

}  // namespace

std::u16string stamped_pdf_name(std::u16string_view original) {
    if (lower_case_text(find_file_extension(original)) == u".pdf") original.remove_suffix(4);
    return std::u16string(original) + u"_捺印.pdf";
}

std::u16string unused_stamped_pdf_name(std::u16string_view original,
                                       const std::function<bool(const std::u16string&)>& exists) {
    std::u16string name = stamped_pdf_name(original);
    if (!exists(name)) return name;
    name.resize(name.size() - 4);  // ".pdf"
    // Bounded: a folder holding 999 copies of one document is not searched on.
    for (int n = 2; n <= 999; ++n) {
        std::u16string numbered = name + u" (" + decimal_text(n) + u").pdf";
        if (!exists(numbered)) return numbered;
    }
    return u"";
}

std::vector<std::u16string> pdf_stamp_arguments(const PdfStampRequest& r) {
    static const char16_t* const kPages[] = {u"first", u"last", u"all"};
    const PdfStampOptions& o = r.options;
    std::u16string date = decimal_text(r.date.year) + u"-";
    append_decimal(date, r.date.month, 2);
    date += u"-";
    append_decimal(date, r.date.day, 2);
    const PdfAnchor anchor = o.position >= 0 && o.position < 9 ? static_cast<PdfAnchor>(o.position)
                                                               : PdfAnchor::kTopRight;
    std::vector<std::u16string> args = {u"--ini",  r.ini, u"--slot", decimal_text(r.slot),
                                        u"--date", date};
    if (r.batch.empty()) {
        args.insert(args.end(), {u"--stamp-onto", r.input, u"--out", r.output});
    } else {
        for (const PdfBatchItem& item : r.batch)
            args.insert(args.end(), {u"--stamp-onto", item.input, u"--out", item.output});
        if (r.replace) args.push_back(u"--replace");
    }
    args.insert(args.end(),
                {u"--page", o.page >= 0 && o.page < 3 ? std::u16string(kPages[o.page])
                                                      : std::u16string(o.pages.view())});
    if (r.place && !pdf_anchor_name(r.place->anchor).empty()) {
        args.insert(args.end(), {u"--at", std::u16string(pdf_anchor_name(r.place->anchor)),
                                 u"--margin", millimetres_text(r.place->margin_mm)});
    } else if (r.place) {
        // The companion takes no margin beside a point.
        args.insert(args.end(), {u"--at", r.place->anchor == PdfAnchor::kFromCorner
                                              ? corner_place_argument(*r.place)
                                              : millimetres_text(r.place->x_mm) + u"," +
                                                    millimetres_text(r.place->y_mm)});
    } else {
        args.insert(args.end(), {u"--at", std::u16string(pdf_anchor_name(anchor)), u"--margin",
                                 decimal_text(o.margin)});
    }
    if (r.flatten) args.push_back(u"--flatten");
    // Signed with the remembered certificate, named here so that the
    // window's choice holds whatever the settings file says by then; a copy
    // written anew cannot be signed.
    if (o.sign && !o.certificate.empty() && !r.flatten)
        args.insert(args.end(), {u"--cert", std::u16string(o.certificate.view()), u"--reason",
                                 o.reason == 1 ? u"受付" : u"承認"});
    if (r.allow_signed) args.push_back(u"--allow-signed");
    return args;
}

std::u16string millimetres_text(double mm) {
    // To a hundredth, without trailing zeros. A place is on the page, so
    // never negative; the companion takes no sign, and none above 10 m.
    const long long hundredths = mm > 0 ? std::llround(std::min(mm, 10000.0) * 100) : 0;
    std::u16string text = decimal_text(hundredths / 100);
    if (const long long rest = hundredths % 100) {
        text += u".";
        append_decimal(text, rest % 10 ? rest : rest / 10, rest % 10 ? 2 : 1);
    }
    return text;
}

std::u16string corner_place_argument(const PdfPosition& place) {
    return std::u16string(pdf_anchor_name(place.corner)) + u":" + millimetres_text(place.x_mm) +
           u"," + millimetres_text(place.y_mm);
}

std::u16string_view reply_value_of(std::u16string_view line, std::u16string_view key) {
    const std::u16string needle = u"\"" + std::u16string(key) + u"\":";
    const std::size_t at = line.find(needle);
    if (at == std::u16string_view::npos) return {};
    return line.substr(at + needle.size());
}

std::u16string command_line_argument(std::u16string_view a) {
    if (!a.empty() && a.find_first_of(u" \t\"") == std::u16string_view::npos)
        return std::u16string(a);
    std::u16string out = u"\"";
    std::size_t backslashes = 0;
    for (char16_t c : a) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, u'\\');
    return out + u"\"";
}

std::vector<PdfStampReply> read_pdf_stamp_replies(std::u16string_view text, std::size_t count) {
    std::vector<PdfStampReply> replies;
    std::size_t start = 0;
    while (start < text.size() && replies.size() < count) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos) end = text.size();
        if (text[start] == u'{')
            replies.push_back(read_pdf_stamp_reply(text.substr(start, end - start)));
        start = end + 1;
    }
    replies.resize(count);  // the unanswered: not stamped, kNotWritten
    return replies;
}

PdfStampReply read_pdf_stamp_reply(std::u16string_view line) {
    PdfStampReply reply;
    std::u16string_view refused = reply_value_of(line, u"refused");
    if (!refused.empty()) {
        refused.remove_prefix(1);  // the opening quote
        reply.refusal = pdf_refusal_named(refused.substr(0, refused.find(u'"')));
        reply.page = number_at(reply_value_of(line, u"page"));
        reply.page_count = number_at(reply_value_of(line, u"page_count"));
        return reply;
    }
    std::u16string_view pages = reply_value_of(line, u"pages");
    if (pages.empty() || pages[0] != u'[') return reply;
    pages = pages.substr(1, pages.find(u']') - 1);
    while (!pages.empty()) {
        reply.pages.push_back(number_at(pages));
        const std::size_t comma = pages.find(u',');
        pages =
            comma == std::u16string_view::npos ? std::u16string_view() : pages.substr(comma + 1);
    }
    reply.stamped = !reply.pages.empty();
    reply.page_count = number_at(reply_value_of(line, u"page_count"));
    reply.repaired = reply_value_of(line, u"repaired").substr(0, 4) == u"true";
    // An appended stamp leaves the signatures as they were; only a copy
    // written anew voids them.
    const bool appended = reply_value_of(line, u"incremental").substr(0, 4) == u"true";
    reply.was_signed = !appended && reply_value_of(line, u"signed").substr(0, 4) == u"true";
    if (appended) reply.kept_signatures = number_at(reply_value_of(line, u"kept_signatures"));
    // The signer's name as the JSON string gives it, escapes taken as written.
    std::u16string_view signer = reply_value_of(line, u"signed_by");
    if (!signer.empty() && signer[0] == u'"') {
        for (std::size_t i = 1; i < signer.size() && i <= 256 && signer[i] != u'"'; ++i) {
            if (signer[i] == u'\\' && i + 1 < signer.size()) ++i;
            reply.signed_by.push_back(signer[i]);
        }
    }
    // The warnings are an array of strings: count the strings.
    std::u16string_view warnings = reply_value_of(line, u"warnings");
    if (!warnings.empty() && warnings[0] == u'[') {
        bool quoted = false;
        for (std::size_t i = 1; i < warnings.size(); ++i) {
            const char16_t c = warnings[i];
            if (quoted && c == u'\\') {
                ++i;
            } else if (c == u'"') {
                quoted = !quoted;
                if (quoted) ++reply.warnings;
            } else if (!quoted && c == u']') {
                break;
            }
        }
    }
    return reply;
}

std::u16string pdf_stamped_message(const PdfStampReply& reply, std::u16string_view output) {
    std::u16string text = u"PDF に捺印しました(";
    if (reply.pages.size() == 1) {
        text += decimal_text(reply.pages[0]) + u" ページ目";
    } else {
        text += decimal_text(static_cast<std::int64_t>(reply.pages.size())) + u" ページ";
    }
    const std::size_t slash = output.find_last_of(u"\\/");
    text += u")。\n\n" +
            std::u16string(output.substr(slash == std::u16string_view::npos ? 0 : slash + 1));
    if (slash != std::u16string_view::npos)
        text += u"\n保存先のフォルダー: " +
                std::u16string(output.substr(0, slash == 2 && output[1] == u':' ? 3 : slash));
    if (reply.repaired)
        text +=
            u"\n\n元の PDF が壊れていたため、読み取れた内容を修復して保存しました。元の PDF "
            u"と見比べて、内容に欠けがないか確かめてください。";
    if (!reply.signed_by.empty()) text += u"\n電子署名: " + reply.signed_by;
    if (reply.kept_signatures > 0)
        text += u"\n\n元の PDF の電子署名(" + decimal_text(reply.kept_signatures) +
                u" 件)は、捺印した写しでも有効です。";
    if (reply.was_signed)
        text +=
            u"\n\n元の PDF "
            u"の電子署名は、捺印した写しでは無効になりました(署名の証明が必要なときは元の PDF "
            u"をお使いください)。";
    return text;
}

std::u16string pdf_reply_refusal_text(const PdfStampReply& reply) {
    PdfStampResult refused;
    refused.refusal = reply.refusal;
    refused.bad_page = reply.page;
    refused.page_count = reply.page_count;
    return pdf_refusal_japanese(refused);
}

namespace {

std::u16string_view folder_of(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash);
}

std::u16string_view name_of(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string pages_text(const std::vector<int>& pages) {
    return pages.size() == 1 ? decimal_text(pages[0]) + u" ページ目"
                             : decimal_text(static_cast<std::int64_t>(pages.size())) + u" ページ";
}

}  // namespace

bool is_save_refusal(PdfRefusal r) {
    return r == PdfRefusal::kNotWritten || r == PdfRefusal::kExists || r == PdfRefusal::kDiskFull ||
           r == PdfRefusal::kOutputLocked || r == PdfRefusal::kDenied ||
           r == PdfRefusal::kNoFolder || r == PdfRefusal::kSameFile;
}

std::u16string stamping_summary_text(const std::vector<std::u16string>& inputs,
                                     const std::vector<std::u16string>& outputs,
                                     const std::vector<PdfStampReply>& replies) {
    const std::size_t count = std::min({inputs.size(), outputs.size(), replies.size()});
    std::size_t stamped = 0;
    bool one_folder = true;
    std::u16string_view folder;
    for (std::size_t i = 0; i < count; ++i) {
        if (!replies[i].stamped) continue;
        if (stamped++ == 0) folder = folder_of(outputs[i]);
        one_folder = one_folder && folder_of(outputs[i]) == folder;
    }
    std::u16string text = decimal_text(static_cast<std::int64_t>(count)) + u" 件のうち " +
                          decimal_text(static_cast<std::int64_t>(stamped)) + u" 件に捺印しました。";
    if (stamped < count)
        text += u"捺印できなかった " + decimal_text(static_cast<std::int64_t>(count - stamped)) +
                u" 件は変更していません。";
    if (stamped > 0) {
        text += u"\r\n\r\n捺印したもの";
        if (one_folder && !folder.empty())
            text += u"(保存先のフォルダー: " + std::u16string(folder) + u")";
        text += u":";
        for (std::size_t i = 0; i < count; ++i) {
            const PdfStampReply& r = replies[i];
            if (!r.stamped) continue;
            text +=
                u"\r\n・" + std::u16string(name_of(inputs[i])) + u"(" + pages_text(r.pages) +
                u") → " +
                std::u16string(one_folder ? name_of(outputs[i]) : std::u16string_view(outputs[i]));
            if (r.repaired)
                text +=
                    u"\r\n　元の PDF "
                    u"が壊れていたため修復して保存しました。内容に欠けがないか確かめてください。";
            if (!r.signed_by.empty()) text += u"\r\n　電子署名: " + r.signed_by;
            if (r.kept_signatures > 0)
                text += u"\r\n　元の PDF の電子署名(" + decimal_text(r.kept_signatures) +
                        u" 件)は、この写しでも有効です。";
            if (r.was_signed) text += u"\r\n　元の PDF の電子署名は、この写しでは無効です。";
        }
    }
    if (stamped < count) {
        text += u"\r\n\r\n捺印できなかったもの:";
        for (std::size_t i = 0; i < count; ++i) {
            if (replies[i].stamped) continue;
            text += u"\r\n・" + std::u16string(name_of(inputs[i]));
            // A copy that could not be written is named with its path.
            if (is_save_refusal(replies[i].refusal)) text += u" → " + outputs[i];
            text += u"\r\n　" + pdf_reply_refusal_text(replies[i]);
        }
    }
    return text;
}

}  // namespace markomi
