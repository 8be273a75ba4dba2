#include "support/sample_pdf.h"

#include <string>

#include "output/vector/vector_writers.h"

namespace markomi::testing {

std::vector<unsigned char> sample_pdf(int pages, bool signed_field) {
    const std::string content = "0 0 1 rg 100 100 200 100 re f\n";
    const int first_page = signed_field ? 5 : 3;  // objects 3 and 4 are the signature's
    std::string kids;
    for (int i = 0; i < pages; ++i) kids += std::to_string(first_page + 2 * i) + " 0 R ";
    std::vector<std::string> objects = {
        signed_field ? "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [3 0 R] /SigFlags 3 >> >>"
                     : "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>",
    };
    if (signed_field) {
        objects.push_back("<< /FT /Sig /T (Signature1) /V 4 0 R /Rect [0 0 0 0] >>");
        objects.push_back("<< /Type /Sig /Filter /Adobe.PPKLite /Contents <00> /ByteRange [0 0 0 0] >>");
    }
    for (int i = 0; i < pages; ++i) {
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents " +
                          std::to_string(first_page + 2 * i + 1) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                          "endstream");
    }
    const std::string pdf = pdf_document(objects);
    return std::vector<unsigned char>(pdf.begin(), pdf.end());
}

}  // namespace markomi::testing
