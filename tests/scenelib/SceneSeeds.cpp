// scene_seeds FOLDER: writes the scenes the scene library tests build (every setter used, a tiny
// scene, an empty one) into FOLDER, as seeds for the scene reader's fuzzer (scripts/fuzz).
#include <cstdio>
#include <fstream>
#include <string>

#include "SceneFixtures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: scene_seeds FOLDER\n");
    return 2;
  }
  using namespace QzOrv;
  const auto write = [&](const char* name, IOrvMgr& manager) {
    const std::vector<std::uint8_t> bytes = test::saveToBytes(manager);
    std::ofstream(std::string(argv[1]) + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  };
  test::Manager every = test::newManager();
  test::fillEverySetter(*every);
  write("every-setter.orv", *every);
  test::Manager tiny = test::newManager();
  tiny->setCreator("App", "1");
  tiny->layers()->insert(-1)->identity()->setName("L");
  write("tiny.orv", *tiny);
  test::Manager empty = test::newManager();
  write("empty.orv", *empty);
  return 0;
}
