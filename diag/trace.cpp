#include "diag/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/platform.h"

namespace {

// Formats into a fixed buffer; vsnprintf cuts an over-long line and always terminates it.
// The conversions the callers use (%i, %X, %s) mean the same under wsprintf and printf.
void FormatInto(char* buffer, std::size_t size, const char* format, va_list args) {
  int n = std::vsnprintf(buffer, size, format, args);
  if (n < 0) buffer[0] = '\0';
}

}  // namespace

void TraceMessage(const char* format, ...) {
  char line[kTraceLineBufferSize];
  va_list args;
  va_start(args, format);
  FormatInto(line, sizeof(line), format, args);
  va_end(args);
  fw::Sys().DebugOutput(line);
}

void TraceMessageIf(std::uint32_t category, std::uint32_t mask, const char* format, ...) {
  if ((category & mask) == 0) return;
  char line[kTraceLineBufferSize];
  va_list args;
  va_start(args, format);
  FormatInto(line, sizeof(line), format, args);
  va_end(args);
  fw::Sys().DebugOutput(line);
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
