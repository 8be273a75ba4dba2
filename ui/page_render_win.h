#pragma once
// The pages of the stamping window, drawn by the companion
// (`Markomi2Stamp --render IN --page N --dpi D --out PAGE.png`), and the
// stamps and signatures on its documents (`--verify IN`), in processes
// of their own that the window does not wait for: a thread-pool wait posts
// the window a message when one ends. The pictures go into a folder of the
// window's own under the temporary folder, removed with this object.
#include <windows.h>

#include <deque>
#include <map>
#include <optional>
#include <string>

#include "ui/stamping_window_rules.h"

namespace markomi {

struct PageRenderJob {
    int id = 0;
    std::wstring document;
    int page = 1;
    int dpi = 0;  // 0: no picture, only the reply about the document and page
    bool verify = false;  // --verify of the document instead of a page
};

struct PageRenderDone {
    PageRenderJob job;
    PdfRenderReply reply;
    std::wstring picture;  // the PNG, when one was drawn
    std::u16string verified;  // a --verify job: its JSON line; empty when it said none
};

class PageRenderer {
  public:
    // Ends of the companion's runs come to `window` as `message`, the job's
    // id in wParam; the window then calls finish(id).
    PageRenderer(HWND window, UINT message);
    ~PageRenderer();
    PageRenderer(const PageRenderer&) = delete;
    PageRenderer& operator=(const PageRenderer&) = delete;

    // Queues a run; at most two run at once (a run is one core's work). The
    // job's id, or 0 when nothing can be run.
    int request(const std::wstring& document, int page, int dpi);
    // Queues a --verify of the document, in the same runs as the pages.
    int request_verify(const std::wstring& document);
    // Whether such a run is queued or running.
    bool pending(const std::wstring& document, int page, int dpi) const;
    // The ended run's reply (answered false when it said nothing); nullopt
    // for an id that is no ended run of this object. Starts the next run.
    std::optional<PageRenderDone> finish(int id);
    // Deletes a picture finished with.
    void discard(const std::wstring& picture);

    struct Running;  // one run of the companion (in the .cpp)

  private:
    void start_next();
    void stop_all();

    HWND window_;
    UINT message_;
    std::wstring folder_;
    std::wstring program_;
    int next_id_ = 1;
    std::deque<PageRenderJob> queued_;
    std::map<int, Running*> running_;
};

}  // namespace markomi
