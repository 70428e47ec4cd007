// The debug trace: short diagnostic lines to the system's debug output, and a second route
// to a separate debug viewer window ("Brisken Debug View") as copy-data messages.
// Callable from any thread; the only state is the set of switched-on categories, set at start.
#pragma once
#include <cstddef>
#include <cstdint>

// Buffer sizes of the two routes; a longer line is cut to fit, zero included.
constexpr std::size_t kTraceLineBufferSize = 512;
constexpr std::size_t kViewerLineBufferSize = 1024;

// The polling thread's step lines use this category with mask 0: kept, but switched off.
constexpr std::uint32_t kTraceCategoryPolling = 0x8000;
// The Link Info page's refresh timing line: written only when switched on for the run.
constexpr std::uint32_t kTraceCategoryRefreshTiming = 0x4000;

// The categories switched on for this run (0 at start: none). The program's entry point
// sets them once from the environment variable TW7720_TRACE (a hexadecimal mask); a trace
// point that measures something first asks TraceSwitchedOn, so that with the switch off it
// costs no clock reads. The polling thread's lines keep their own mask of 0.
void SetTraceSwitches(std::uint32_t mask);
std::uint32_t TraceSwitches();
inline bool TraceSwitchedOn(std::uint32_t category) { return (category & TraceSwitches()) != 0; }

// Writes one formatted line (wsprintf conventions) to the debug output.
void TraceMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// As TraceMessage, but only when category AND mask is not 0.
void TraceMessageIf(std::uint32_t category, std::uint32_t mask, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Formats one line (vsprintf conventions) and hands it to the viewer route.
void TraceToViewer(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Sends `text` to the viewer window as WM_COPYDATA (dwData = `data`, cbData = length + 1,
// first message parameter `wParam`); does nothing when no viewer is running.
void SendToViewer(const char* text, std::uintptr_t data, std::uintptr_t wParam);

// Title and window class of the viewer window.
inline constexpr char kViewerWindowTitle[] = "Brisken Debug View";
inline constexpr char kViewerWindowClass[] = "#32770";
