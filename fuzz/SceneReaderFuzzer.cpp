// Fuzzes the scene reader: any bytes must either read as a scene or be refused with a
// SceneFileError; every other way out (another exception, a crash, a sanitizer report) is a fault.
// The checksums stop almost every mutation at the first chunk, so half of the inputs have them
// repaired first, as a crafted file would, to drive the parsing of the payloads too.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "orv/SceneFileReader.h"

namespace {

std::uint64_t little(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

void putLittle(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t crcOf(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
  return static_cast<std::uint32_t>(crc32_z(0, bytes.data() + from, to - from));
}

// Makes the header's and every whole chunk's checksum fit, and the end chunk's chunk count and
// checksum of what precedes it (its last eight payload bytes).
void repairChecksums(std::vector<std::uint8_t>& file) {
  if (file.size() < 16) return;
  putLittle(file, 12, crcOf(file, 0, 12));
  std::uint32_t chunks = 0;
  for (std::size_t at = 16; file.size() - at >= 16; ++chunks) {
    const std::uint64_t length = little(file, at + 4, 8);
    if (length > file.size() - at - 16) return;
    const std::size_t crcAt = at + 12 + static_cast<std::size_t>(length);
    const bool end =
        file[at] == 'E' && file[at + 1] == 'N' && file[at + 2] == 'D' && file[at + 3] == ' ';
    if (end && length >= 8) {
      putLittle(file, crcAt - 8, chunks);
      putLittle(file, crcAt - 4, crcOf(file, 0, at));
    }
    putLittle(file, crcAt, crcOf(file, at, crcAt));
    if (end) return;
    at = crcAt + 4;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<std::uint8_t> file(data + 1, data + size);
  if ((data[0] & 1) != 0) repairChecksums(file);
  try {
    QzOrv::scene::readScene(file, "fuzz.orv");
  } catch (const QzOrv::scene::SceneFileError&) {
    // The reader's refusal, naming the offset and the chunk.
  }
  return 0;
}
