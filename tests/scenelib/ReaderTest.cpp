// The reader's defence against damaged and foreign files: every prefix, every bit flip, bad
// magic, other versions, impossible lengths and counts, missing or misplaced end chunks; and
// the chunks of later versions, which it skips.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <string_view>

#include "SceneFixtures.h"
#include "orv/SceneFileReader.h"

namespace QzOrv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using scene::readScene;
using scene::SceneFileError;

constexpr std::size_t kHeaderBytes = 16;

Bytes everySetterFile() {
  Manager manager = newManager();
  fillEverySetter(*manager);
  return saveToBytes(*manager);
}

void putLittle(Bytes& out, std::uint64_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t little(const Bytes& bytes, std::size_t at, int byteCount) {
  std::uint64_t value = 0;
  for (int i = byteCount - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

/// A whole chunk: tag, length, payload and a correct checksum.
Bytes chunk(std::string_view tag, const Bytes& payload) {
  Bytes out(tag.begin(), tag.end());
  putLittle(out, payload.size(), 8);
  out.insert(out.end(), payload.begin(), payload.end());
  putLittle(out, crc32_z(0, out.data(), out.size()), 4);
  return out;
}

/// Offsets at which the chunks of a well-formed file start.
std::vector<std::size_t> chunkStarts(const Bytes& file) {
  std::vector<std::size_t> starts;
  for (std::size_t at = kHeaderBytes; at < file.size(); at += 16 + little(file, at + 4, 8)) {
    starts.push_back(at);
  }
  return starts;
}

/// The file with its end chunk made to fit what precedes it, as a writer that put those chunks
/// there would have made it.
Bytes sealed(Bytes file) {
  const std::vector<std::size_t> starts = chunkStarts(file);
  const std::size_t endStart = starts.back();
  Bytes payload(file.begin() + static_cast<std::ptrdiff_t>(endStart + 12),
                file.begin() + static_cast<std::ptrdiff_t>(endStart + 12 + 28));
  putLittle(payload, starts.size() - 1, 4);
  putLittle(payload, crc32_z(0, file.data(), endStart), 4);
  file.resize(endStart);
  const Bytes end = chunk("END ", payload);
  file.insert(file.end(), end.begin(), end.end());
  return file;
}

std::string readError(const Bytes& file) {
  try {
    readScene(file, "damaged.orv");
  } catch (const SceneFileError& error) {
    return error.what();
  }
  return "(read without error)";
}

TEST(Reader, RejectsEveryProperPrefix) {
  const Bytes file = everySetterFile();
  for (std::size_t length = 0; length < file.size(); ++length) {
    const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_THROW(readScene(prefix, "prefix"), SceneFileError) << "length " << length;
  }
  EXPECT_NO_THROW(readScene(file, "whole"));
}

TEST(Reader, RejectsEverySingleBitFlip) {
  const Bytes file = everySetterFile();
  for (std::size_t at = 0; at < file.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      Bytes damaged = file;
      damaged[at] ^= static_cast<std::uint8_t>(1 << bit);
      EXPECT_THROW(readScene(damaged, "flipped"), SceneFileError)
          << "byte " << at << " bit " << bit;
    }
  }
}

TEST(Reader, SkipsChunksOfLaterVersionsButChecksThem) {
  const Bytes file = everySetterFile();
  const std::size_t endStart = chunkStarts(file).back();
  Bytes extended(file.begin(), file.begin() + kHeaderBytes);
  const Bytes early = chunk("XTRA", {1, 2, 3});
  extended.insert(extended.end(), early.begin(), early.end());
  extended.insert(extended.end(), file.begin() + kHeaderBytes, file.begin() + endStart);
  const Bytes late = chunk("note", Bytes(100, 0xEE));
  extended.insert(extended.end(), late.begin(), late.end());
  extended.insert(extended.end(), file.begin() + endStart, file.end());
  extended = sealed(extended);
  EXPECT_EQ(readScene(extended, "extended"), readScene(file, "plain"));

  extended[kHeaderBytes + 13] ^= 0x01;  // inside the first unknown chunk's payload
  EXPECT_NE(readError(extended).find("(chunk XTRA): checksum mismatch"), std::string::npos)
      << readError(extended);
}

TEST(Reader, ErrorsNameTheFileTheOffsetAndTheChunk) {
  const Bytes file = everySetterFile();

  Bytes foreign = file;
  foreign[1] = 'X';
  EXPECT_EQ(readError(foreign),
            "damaged.orv: offset 0 (header): bad magic: this is not a scene file");

  for (const auto& [major, version] : {std::pair{3, "3.0"}, std::pair{1, "1.0"}}) {
    Bytes other = file;
    other[8] = static_cast<std::uint8_t>(major);  // with a header checksum that fits
    const std::uint32_t crc = crc32_z(0, other.data(), 12);
    for (int i = 0; i < 4; ++i) other[12 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    EXPECT_EQ(readError(other), std::string("damaged.orv: offset 8 (header): unsupported format "
                                            "version ") +
                                    version + "; this reader reads version 2.x");
  }

  const std::size_t endStart = chunkStarts(file).back();
  const Bytes endless(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(endStart));
  EXPECT_EQ(readError(endless), "damaged.orv: offset " + std::to_string(endStart) +
                                    " (end of file): the file ends without an end chunk");

  Bytes trailing = file;
  trailing.push_back(0);
  EXPECT_NE(readError(trailing).find("1 bytes follow the end chunk"), std::string::npos);

  const std::size_t secondLayer = chunkStarts(file)[2];
  Bytes missingLayer(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(secondLayer));
  missingLayer.insert(missingLayer.end(), file.begin() + chunkStarts(file)[3], file.end());
  EXPECT_NE(readError(missingLayer)
                .find("(chunk END ): the end chunk counts 2 layers but the "
                      "file holds 1"),
            std::string::npos)
      << readError(missingLayer);
}

TEST(Reader, AWholeChunkRemovedAddedOrMovedIsDetected) {
  const Bytes file = everySetterFile();
  const std::vector<std::size_t> starts = chunkStarts(file);
  const auto cut = [&](std::size_t chunk) {
    return std::pair{file.begin() + static_cast<std::ptrdiff_t>(starts[chunk]),
                     file.begin() + static_cast<std::ptrdiff_t>(starts[chunk + 1])};
  };
  const std::size_t before = starts.size() - 1;  // chunks before the end chunk
  for (std::size_t removed = 0; removed < before; ++removed) {
    Bytes shorter(file.begin(), cut(removed).first);
    shorter.insert(shorter.end(), cut(removed).second, file.end());
    EXPECT_THROW(readScene(shorter, "shorter"), SceneFileError) << "chunk " << removed;
  }

  // The creator chunk belongs to no list: only the chunk count can miss it.
  ASSERT_EQ(little(file, starts[0], 4), little(Bytes{'C', 'R', 'T', 'R'}, 0, 4));
  Bytes noCreator(file.begin(), cut(0).first);
  noCreator.insert(noCreator.end(), cut(0).second, file.end());
  EXPECT_EQ(readError(noCreator),
            "damaged.orv: offset " +
                std::to_string(starts.back() - (starts[1] - starts[0]) + 12 + 28) +
                " (chunk END ): the end chunk counts " + std::to_string(before) +
                " chunks before it but the file holds " + std::to_string(before - 1));

  Bytes doubled(file.begin(), cut(1).second);  // the first layer twice
  doubled.insert(doubled.end(), cut(1).first, file.end());
  EXPECT_THROW(readScene(doubled, "doubled"), SceneFileError);

  // Two layers trading places keep every count; the checksum tells.
  Bytes swapped(file.begin(), cut(1).first);
  swapped.insert(swapped.end(), cut(2).first, cut(2).second);
  swapped.insert(swapped.end(), cut(1).first, cut(1).second);
  swapped.insert(swapped.end(), cut(2).second, file.end());
  ASSERT_NE(swapped, file);
  EXPECT_NE(readError(swapped).find(
                "(chunk END ): the chunks before the end chunk are not the ones it was written "
                "after: checksum mismatch"),
            std::string::npos)
      << readError(swapped);
  EXPECT_NO_THROW(readScene(sealed(swapped), "resealed"));
}

TEST(Reader, RefusesLengthsAndCountsBeyondTheData) {
  const Bytes file = everySetterFile();
  Bytes header(file.begin(), file.begin() + kHeaderBytes);

  Bytes hugeChunk = header;
  const Bytes layer = chunk("LAYR", Bytes(20, 0));
  hugeChunk.insert(hugeChunk.end(), layer.begin(), layer.end());
  for (int i = 0; i < 8; ++i) hugeChunk[kHeaderBytes + 4 + i] = 0xFF;
  EXPECT_NE(
      readError(hugeChunk).find("offset 20 (chunk LAYR): payload length 18446744073709551615"),
      std::string::npos)
      << readError(hugeChunk);

  // An object definition claiming four billion vertices in a chunk of a few bytes.
  Bytes definition(16, 0x11);            // id
  putLittle(definition, 0, 4);           // no optional fields
  putLittle(definition, 0, 4);           // no materials
  putLittle(definition, 0xFFFFFFFF, 4);  // vertex count
  Bytes hugeCount = header;
  const Bytes body = chunk("ODEF", definition);
  hugeCount.insert(hugeCount.end(), body.begin(), body.end());
  EXPECT_NE(readError(hugeCount).find("offset 52 (chunk ODEF, objectDefinitions[0]): vertex count "
                                      "4294967295 needs at least"),
            std::string::npos)
      << readError(hugeCount);
}

TEST(Reader, RejectsUnknownFieldBitsAndBadBooleans) {
  const Bytes header = [] {
    const Bytes file = everySetterFile();
    return Bytes(file.begin(), file.begin() + kHeaderBytes);
  }();
  Bytes layer(16, 0x22);
  putLittle(layer, 0x2, 4);  // a layer has one optional field (its name)
  Bytes unknownBits = header;
  const Bytes layerChunk = chunk("LAYR", layer);
  unknownBits.insert(unknownBits.end(), layerChunk.begin(), layerChunk.end());
  EXPECT_NE(readError(unknownBits).find("presence mask 0x2 sets bits beyond the 1 fields"),
            std::string::npos)
      << readError(unknownBits);

  Bytes light(16, 0x33);
  putLittle(light, 0x0, 4);
  Bytes camera(16, 0x44);
  putLittle(camera, 0x10, 4);  // enabled
  camera.push_back(2);
  Bytes badBoolean = header;
  const Bytes cameraChunk = chunk("CAMR", camera);
  badBoolean.insert(badBoolean.end(), cameraChunk.begin(), cameraChunk.end());
  EXPECT_NE(readError(badBoolean).find("boolean byte 2 is neither 0 nor 1"), std::string::npos)
      << readError(badBoolean);
}

TEST(Reader, PayloadDamageBehindRepairedChecksumsNeverEscapesAsAnythingElse) {
  // The checksums stop random damage; this drives the field parsing itself, as a crafted file
  // would, and expects either a scene or a SceneFileError (under the sanitizers: no bad access).
  const Bytes file = everySetterFile();
  const std::vector<std::size_t> starts = chunkStarts(file);
  std::mt19937 random(20140615);
  for (int round = 0; round < 3000; ++round) {
    Bytes damaged = file;
    const std::size_t start = starts[random() % starts.size()];
    const std::size_t length = little(file, start + 4, 8);
    if (length == 0) continue;
    for (int k = 0; k < 1 + round % 4; ++k) {
      damaged[start + 12 + random() % length] = static_cast<std::uint8_t>(random());
    }
    const std::uint32_t crc = crc32_z(0, &damaged[start], 12 + length);
    for (int i = 0; i < 4; ++i)
      damaged[start + 12 + length + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    try {
      readScene(damaged, "crafted");
    } catch (const SceneFileError&) {
    }
  }
}

}  // namespace
}  // namespace QzOrv::test
