#include "ui/page_render_win.h"

#include <algorithm>
#include <vector>

#include "base/module_path_win.h"
#include "base/safe_file_win.h"
#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "ui/pdf_stamp_rules.h"

namespace markomi {
namespace {

constexpr std::size_t kMostRunning = 2;
// A reply is one short line after the companion's messages; that of
// --verify a line for each of up to a few hundred signatures and stamps.
constexpr std::size_t kReplyLimit = 64 * 1024;
constexpr std::size_t kVerifyReplyLimit = 512 * 1024;

std::wstring companion_beside_program() {
    const std::wstring program = running_program_file();
    if (program.empty()) return std::wstring();
    return program.substr(0, program.find_last_of(L'\\') + 1) + L"Markomi2Stamp.exe";
}

// "%TEMP%\Markomi2-<pid>-pages-<n>": of this window alone, so that closing
// it removes exactly its pictures.
std::wstring make_picture_folder() {
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return std::wstring();
    for (int i = 1; i < 1000; ++i) {
        const std::wstring folder = std::wstring(temp) + L"Markomi2-" +
                                    std::to_wstring(GetCurrentProcessId()) + L"-pages-" +
                                    std::to_wstring(i);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::wstring();
}

void remove_picture_folder(const std::wstring& folder) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                delete_file_patiently(folder + L"\\" + found.cFileName, 500);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// The reply's JSON line, after any messages; nullopt when it has none.
std::optional<std::u16string> reply_line(const std::wstring& path, std::size_t limit) {
    const FileBytes bytes = read_file_bytes(path, limit);
    if (bytes.state != FileRead::kRead) return std::nullopt;
    const std::u16string text = utf8_to_u16(bytes.bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        if (text[start] == u'{') return text.substr(start, end - start);
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace

struct PageRenderer::Running {
    PageRenderJob job;
    HWND window = nullptr;
    UINT message = 0;
    HANDLE process = nullptr;
    HANDLE wait = nullptr;
    std::wstring reply, picture;
    bool ended = false;  // no process: its end is posted already
};

namespace {

VOID CALLBACK RenderEnded(PVOID context, BOOLEAN) {
    auto* run = static_cast<PageRenderer::Running*>(context);
    PostMessageW(run->window, run->message, static_cast<WPARAM>(run->job.id), 0);
}

}  // namespace

PageRenderer::PageRenderer(HWND window, UINT message)
    : window_(window),
      message_(message),
      folder_(make_picture_folder()),
      program_(companion_beside_program()) {}

PageRenderer::~PageRenderer() {
    stop_all();
    remove_picture_folder(folder_);
}

int PageRenderer::request(const std::wstring& document, int page, int dpi) {
    if (folder_.empty() || program_.empty()) return 0;
    PageRenderJob job{next_id_++, document, page, dpi};
    queued_.push_back(job);
    start_next();
    return job.id;
}

int PageRenderer::request_verify(const std::wstring& document) {
    if (folder_.empty() || program_.empty()) return 0;
    PageRenderJob job{next_id_++, document, 0, 0, true};
    queued_.push_back(job);
    start_next();
    return job.id;
}

bool PageRenderer::pending(const std::wstring& document, int page, int dpi) const {
    for (const PageRenderJob& j : queued_)
        if (!j.verify && j.document == document && j.page == page && j.dpi == dpi) return true;
    for (const auto& r : running_)
        if (!r.second->job.verify && r.second->job.document == document &&
            r.second->job.page == page && r.second->job.dpi == dpi)
            return true;
    return false;
}

void PageRenderer::start_next() {
    while (running_.size() < kMostRunning && !queued_.empty()) {
        // The pictures the user waits for go first, then the checks of added
        // documents, then the stamps already on them; in order within each.
        auto rank = [](const PageRenderJob& j) { return j.verify ? 2 : j.dpi > 0 ? 0 : 1; };
        const auto next = std::min_element(
            queued_.begin(), queued_.end(),
            [&](const PageRenderJob& a, const PageRenderJob& b) { return rank(a) < rank(b); });
        const PageRenderJob job = *next;
        queued_.erase(next);
        auto* run = new Running();
        run->job = job;
        run->window = window_;
        run->message = message_;
        const std::wstring stem = folder_ + L"\\" + std::to_wstring(job.id);
        run->reply = stem + L".txt";
        const std::wstring document =
            to_wide(command_line_argument(as_u16(std::wstring_view(job.document))));
        std::wstring line = L"\"" + program_ + L"\" " +
                            (job.verify ? L"--verify " + document
                                        : L"--render " + document + L" --page " +
                                              std::to_wstring(job.page));
        if (job.dpi > 0 && !job.verify) {
            run->picture = stem + L".png";
            line += L" --dpi " + std::to_wstring(job.dpi) + L" --out " +
                    to_wide(command_line_argument(as_u16(std::wstring_view(run->picture))));
        }
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileW(run->reply.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = out;
        PROCESS_INFORMATION process{};
        // DETACHED_PROCESS: no console at all, as the companion writes only
        // to the file it is given. A console (CREATE_NO_WINDOW) costs a
        // console host per run, and under Wine a run ended when the window
        // closes leaves its headless host behind.
        const BOOL started = out != INVALID_HANDLE_VALUE &&
                             CreateProcessW(program_.c_str(), line.data(), nullptr, nullptr, TRUE,
                                            DETACHED_PROCESS, nullptr, nullptr, &startup, &process);
        if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
        running_[job.id] = run;
        if (started) {
            CloseHandle(process.hThread);
            run->process = process.hProcess;
            // A wait of the thread pool, not of this thread: the window goes
            // on answering its input while the page is drawn.
            if (RegisterWaitForSingleObject(&run->wait, run->process, RenderEnded, run, INFINITE,
                                            WT_EXECUTEONLYONCE))
                continue;
            run->wait = nullptr;
            TerminateProcess(run->process, 1);
        }
        // Not started: told as a run that said nothing.
        run->ended = true;
        PostMessageW(window_, message_, static_cast<WPARAM>(job.id), 0);
    }
}

std::optional<PageRenderDone> PageRenderer::finish(int id) {
    const auto found = running_.find(id);
    if (found == running_.end()) return std::nullopt;
    Running* run = found->second;
    running_.erase(found);
    if (run->wait) UnregisterWaitEx(run->wait, INVALID_HANDLE_VALUE);
    if (run->process) {
        WaitForSingleObject(run->process, 0);
        CloseHandle(run->process);
    }
    PageRenderDone done;
    done.job = run->job;
    const std::optional<std::u16string> line =
        reply_line(run->reply, run->job.verify ? kVerifyReplyLimit : kReplyLimit);
    if (line && run->job.verify) done.verified = *line;
    else if (line) done.reply = read_pdf_render_reply(*line);
    delete_file_patiently(run->reply, 200);
    if (done.reply.rendered) {
        done.picture = run->picture;
    } else if (!run->picture.empty()) {
        DeleteFileW(run->picture.c_str());
    }
    delete run;
    start_next();
    return done;
}

void PageRenderer::discard(const std::wstring& picture) {
    if (!picture.empty()) delete_file_patiently(picture, 200);
}

void PageRenderer::stop_all() {
    queued_.clear();
    for (auto& r : running_) {
        Running* run = r.second;
        if (run->wait) UnregisterWaitEx(run->wait, INVALID_HANDLE_VALUE);
        if (run->process) {
            TerminateProcess(run->process, 1);
            WaitForSingleObject(run->process, 2000);
            CloseHandle(run->process);
        }
        delete run;
    }
    running_.clear();
}

}  // namespace markomi
