// Markomi2Stamp --diagnose as a tester on Windows runs it: the report must
// reach us as one JSON object any reader takes, whatever the system said.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/support/companion_run.h"
#include "app/support/json_reader.h"
#include "app/support/program_driver.h"
#include "base/u16_format.h"
#include "support/test_files.h"
#include "support/wine_detect.h"

namespace {

namespace t = markomi::testing;
using t::JsonValue;
using t::run_companion;

std::string utf8(const std::wstring& text) {
    return markomi::u16_to_utf8(std::u16string(text.begin(), text.end()));
}

// "0x" and eight lower-case hex digits.
bool is_bits_text(const JsonValue* v) {
    if (!v || v->kind != JsonValue::kString || v->text.size() != 10 || v->text.compare(0, 2, "0x") != 0)
        return false;
    return v->text.find_first_not_of("0123456789abcdef", 2) == std::string::npos;
}

// A float written as a number, or as null when it was not finite, with its
// bits beside it.
void expect_float_field(const JsonValue* object, const std::string& name) {
    ASSERT_NE(object, nullptr) << name;
    const JsonValue* value = object->find(name);
    ASSERT_NE(value, nullptr) << name;
    EXPECT_TRUE(value->kind == JsonValue::kNumber || value->kind == JsonValue::kNull) << name;
    EXPECT_TRUE(is_bits_text(object->find(name + "_bits"))) << name;
}

TEST(CompanionDiagnosis, PrintsOneValidJsonObjectWithEverySection) {
    t::TempFolder dir;
    // The settings path comes back in the report: its backslashes must be
    // escaped, its Japanese, blanks and quotes kept.
    const std::wstring ini = dir.file(L"設定 'x' {1}.ini");
    ASSERT_TRUE(t::write_bytes(ini, t::utf16le_with_bom(L"[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=総務部\r\n")));
    const t::CompanionRun r = run_companion(L"--ini \"" + ini + L"\" --diagnose");
    ASSERT_EQ(r.code, 0u) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    ASSERT_FALSE(r.out.empty());
    EXPECT_EQ(r.out.back(), '\n');

    std::string error;
    const std::optional<JsonValue> json = t::parse_json(r.out, &error);
    ASSERT_TRUE(json) << error << "\n" << r.out.substr(0, 4000);
    ASSERT_EQ(json->kind, JsonValue::kObject);
    for (const char* key : {"program", "windows", "dpi", "settings", "gdiplus_startup", "recorder",
                            "recorder_why", "gdiplus_records_drawing", "metafile_recorder_env", "probe",
                            "designs", "emf_plus_converter", "clipboard_after_bitmap_copy", "png_resolution",
                            "default_face"})
        EXPECT_NE(json->find(key), nullptr) << key;

    const JsonValue* settings = json->find("settings");
    ASSERT_NE(settings, nullptr);
    ASSERT_NE(settings->find("file"), nullptr);
    EXPECT_EQ(settings->find("file")->text, utf8(ini));
    ASSERT_NE(settings->find("found"), nullptr);
    EXPECT_TRUE(settings->find("found")->boolean);

    // Every design in slot order, each metafile with its one header and end.
    const JsonValue* designs = json->find("designs");
    ASSERT_NE(designs, nullptr);
    ASSERT_EQ(designs->kind, JsonValue::kArray);
    ASSERT_EQ(designs->items.size(), 7u);
    for (std::size_t i = 0; i < designs->items.size(); ++i) {
        SCOPED_TRACE(i);
        const JsonValue& design = designs->items[i];
        ASSERT_NE(design.find("slot"), nullptr);
        EXPECT_EQ(design.find("slot")->number, static_cast<double>(i + 1));
        for (const char* part : {"clipboard", "emf_file"}) {
            const JsonValue* metafile = design.find(part);
            ASSERT_NE(metafile, nullptr) << part;
            const JsonValue* records = metafile->find("records");
            ASSERT_NE(records, nullptr) << part;
            ASSERT_NE(records->find("HEADER"), nullptr) << part;
            EXPECT_EQ(records->find("HEADER")->number, 1.0) << part;
            ASSERT_NE(records->find("EOF"), nullptr) << part;
            EXPECT_EQ(records->find("EOF")->number, 1.0) << part;
        }
        ASSERT_NE(design.find("drawing"), nullptr);
        EXPECT_NE(design.find("drawing")->find("paths"), nullptr);
    }

    // The clipboard's formats by number and name, the registered ones too.
    const JsonValue* clipboard = json->find("clipboard_after_bitmap_copy");
    ASSERT_NE(clipboard, nullptr);
    const JsonValue* formats = clipboard->find("formats");
    ASSERT_NE(formats, nullptr);
    ASSERT_EQ(formats->kind, JsonValue::kArray);
    bool bitmap = false, png = false;
    for (const JsonValue& format : formats->items) {
        const JsonValue* id = format.find("id");
        const JsonValue* name = format.find("name");
        ASSERT_TRUE(id && name);
        bitmap |= id->number == CF_BITMAP && name->text == "CF_BITMAP";
        png |= id->number >= 0xC000 && name->text == "PNG";
    }
    EXPECT_TRUE(bitmap) << r.out;
    EXPECT_TRUE(png) << r.out;

    // The probe's floats may be anything on Windows: numbers or null, with their bits.
    const JsonValue* probe = json->find("probe");
    ASSERT_NE(probe, nullptr);
    for (const char* header : {"open", "ended"}) {
        SCOPED_TRACE(header);
        expect_float_field(probe->find(header), "dpi_x");
        expect_float_field(probe->find(header), "dpi_y");
    }
    expect_float_field(probe->find("ratio"), "x");

    const JsonValue* windows = json->find("windows");
    ASSERT_NE(windows, nullptr);
    ASSERT_NE(windows->find("wine"), nullptr);
    EXPECT_EQ(windows->find("wine")->boolean, t::running_under_wine());
    // Wine's GDI+ records no drawing into a metafile, so the project's
    // writer makes it and says why.
    if (t::running_under_wine()) {
        EXPECT_EQ(json->find("recorder")->text, "writer");
        EXPECT_FALSE(json->find("recorder_why")->text.empty());
    }
}

}  // namespace
