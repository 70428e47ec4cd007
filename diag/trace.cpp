#include "diag/trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/platform.h"

namespace {

// Set once at start-up, read from both threads.
std::atomic<std::uint32_t> gTraceSwitches{0};

// Formats into a fixed buffer; vsnprintf cuts an over-long line and always terminates it.
// The conversions the callers use (%i, %X, %s) mean the same under wsprintf and printf.
void FormatInto(char* buffer, std::size_t size, const char* format, va_list args) {
  int n = std::vsnprintf(buffer, size, format, args);
  if (n < 0) buffer[0] = '\0';
}

// One debug-output line, formatted into its own buffer (any thread may trace).
void WriteDebugLine(const char* format, va_list args) {
  char line[kTraceLineBufferSize];
  FormatInto(line, sizeof(line), format, args);
  fw::Sys().DebugOutput(line);
}

}  // namespace

void SetTraceSwitches(std::uint32_t mask) { gTraceSwitches.store(mask, std::memory_order_relaxed); }

std::uint32_t TraceSwitches() { return gTraceSwitches.load(std::memory_order_relaxed); }

void TraceMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteDebugLine(format, args);
  va_end(args);
}

void TraceMessageIf(std::uint32_t category, std::uint32_t mask, const char* format, ...) {
  if ((category & mask) == 0) return;
  va_list args;
  va_start(args, format);
  WriteDebugLine(format, args);
  va_end(args);
}

void TraceToViewer(const char* format, ...) {
  char line[kViewerLineBufferSize];
  va_list args;
  va_start(args, format);
  FormatInto(line, sizeof(line), format, args);
  va_end(args);
  SendToViewer(line, 0, 0);
}

void SendToViewer(const char* text, std::uintptr_t data, std::uintptr_t wParam) {
  const auto size = static_cast<std::uint32_t>(std::strlen(text) + 1);
  fw::Sys().SendCopyDataToWindow(kViewerWindowClass, kViewerWindowTitle, wParam, data, text, size);
}
