// Fuzzes the scene reader: any bytes must either read as a scene or be refused with a
// SceneFileError; every other way out (another exception, a crash, a sanitizer report) is a fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "orv/SceneFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    QzOrv::scene::readScene(std::span<const std::uint8_t>(data, size), "fuzz.orv");
  } catch (const QzOrv::scene::SceneFileError&) {
    // The reader's refusal, naming the offset and the chunk.
  }
  return 0;
}
