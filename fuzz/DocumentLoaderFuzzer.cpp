// Fuzzes the document loader: any text must either load into a document or be refused with a
// DocumentError; every other way out (another exception, a crash, a sanitizer report) is a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "DocumentFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CRhinoDoc doc;
  try {
    LoadDocumentText(text, "fuzz.json", doc);
  } catch (const DocumentError&) {
    // The loader's refusal, with its message: the expected way to turn a document down.
  }
  return 0;
}
