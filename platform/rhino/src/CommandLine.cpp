// The application object and its command line: RhinoApp().Print and the command-line sink.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "../../common/src/PlatformText.h"
#include "RhinoHostServices.h"
#include "rhinoSdkApp.h"

namespace {

// Wide formatting larger than this is taken as a format that can never succeed.
constexpr std::size_t kMaxWideOutput = std::size_t{1} << 24;

std::function<void(const std::string&)>& CommandLineSink() {
  static auto* sink = new std::function<void(const std::string&)>;
  return *sink;
}

void SendToCommandLine(const std::string& utf8) {
  if (utf8.empty()) return;
  auto& sink = CommandLineSink();
  if (sink) {
    sink(utf8);
  } else {
    std::fputs(utf8.c_str(), stdout);
    std::fflush(stdout);
  }
}

std::string FormatNarrow(const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// vswprintf cannot measure, so the buffer doubles until the text fits.
std::wstring FormatWide(const wchar_t* format, va_list args) {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list attempt;
    va_copy(attempt, args);
    errno = 0;
    int length = std::vswprintf(buffer.data(), buffer.size(), format, attempt);
    va_end(attempt);
    if (length >= 0) return std::wstring(buffer.data(), static_cast<std::size_t>(length));
    // A narrow %s argument that is not valid text fails however large the buffer.
    if (errno == EILSEQ || buffer.size() >= kMaxWideOutput) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

void CRhinoApp::Print(const char* format, ...) const {
  if (!format) return;
  platform_text::ScopedUtf8Locale utf8;  // %ls arguments become UTF-8
  va_list args;
  va_start(args, format);
  std::string text = FormatNarrow(format, args);
  va_end(args);
  SendToCommandLine(text);
}

void CRhinoApp::Print(const wchar_t* format, ...) const {
  if (!format) return;
  platform_text::ScopedUtf8Locale utf8;  // %s arguments are read as UTF-8
  va_list args;
  va_start(args, format);
  std::wstring text = FormatWide(format, args);
  va_end(args);
  SendToCommandLine(platform_text::ToUtf8(text.data(), text.size()));
}

CRhinoApp& RhinoApp() {
  static CRhinoApp app;
  return app;
}

namespace RhinoHost {

void SetCommandLineSink(std::function<void(const std::string& utf8)> sink) {
  CommandLineSink() = std::move(sink);
}

std::function<void(const std::string& utf8)> CurrentCommandLineSink() {
  return CommandLineSink();
}

}  // namespace RhinoHost
