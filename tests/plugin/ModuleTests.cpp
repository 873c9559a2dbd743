// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "RhinoHostServices.h"

namespace {

const std::set<std::string> kInformationFunctions = {"RhinoPlugInSdkVersion",
                                                     "RhinoPlugInSdkServiceRelease",
                                                     "RhinoPlugInId",
                                                     "RhinoPlugInName",
                                                     "RhinoPlugInVersion",
                                                     "RhinoPlugInDeveloperOrganization",
                                                     "RhinoPlugInDeveloperAddress",
                                                     "RhinoPlugInDeveloperCountry",
                                                     "RhinoPlugInDeveloperPhone",
                                                     "RhinoPlugInDeveloperFax",
                                                     "RhinoPlugInDeveloperEmail",
                                                     "RhinoPlugInDeveloperWebsite",
                                                     "RhinoPlugInUpdateURL"};

template <class T>
T at(const std::vector<char>& image, std::size_t offset) {
  T value;
  std::memcpy(&value, image.data() + offset, sizeof value);
  return value;
}

// Names of the functions a 64-bit ELF shared object defines in its dynamic symbol table with
// default visibility: what a loader can find in it.
std::set<std::string> exportedFunctions(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> image{std::istreambuf_iterator<char>(in), {}};
  const auto header = at<Elf64_Ehdr>(image, 0);
  std::set<std::string> names;
  for (int i = 0; i < header.e_shnum; ++i) {
    const auto table = at<Elf64_Shdr>(image, header.e_shoff + i * sizeof(Elf64_Shdr));
    if (table.sh_type != SHT_DYNSYM) continue;
    const auto strings = at<Elf64_Shdr>(image, header.e_shoff + table.sh_link * sizeof(Elf64_Shdr));
    for (std::size_t s = 0; s < table.sh_size / sizeof(Elf64_Sym); ++s) {
      const auto symbol = at<Elf64_Sym>(image, table.sh_offset + s * sizeof(Elf64_Sym));
      if (ELF64_ST_TYPE(symbol.st_info) == STT_FUNC && symbol.st_shndx != SHN_UNDEF &&
          ELF64_ST_VISIBILITY(symbol.st_other) == STV_DEFAULT)
        names.insert(image.data() + strings.sh_offset + symbol.st_name);
    }
  }
  return names;
}

TEST(PlugInModule, ExportsExactlyTheInformationFunctions) {
  EXPECT_EQ(exportedFunctions(ORV_PLUGIN_MODULE), kInformationFunctions);
}

TEST(PlugInModule, LoadsAsTheHostLoadsItAndAnswersThroughItsExports) {
  const int plugInsBefore = RhinoHost::PlugIns().Count();
  const int commandsBefore = RhinoHost::Commands().Count();
  void* module = dlopen(ORV_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();

  for (const std::string& name : kInformationFunctions)
    EXPECT_NE(dlsym(module, name.c_str()), nullptr) << name;
  auto version = reinterpret_cast<const char* (*)()>(dlsym(module, "RhinoPlugInVersion"));
  auto id = reinterpret_cast<const wchar_t* (*)()>(dlsym(module, "RhinoPlugInId"));
  ASSERT_TRUE(version && id);
  EXPECT_STREQ(version(), "1.0.16.31");

  // Loading constructed one plug-in object and one command; the plug-in is the one of the id.
  ASSERT_EQ(RhinoHost::PlugIns().Count(), plugInsBefore + 1);
  EXPECT_EQ(RhinoHost::Commands().Count(), commandsBefore + 1);
  CRhinoPlugIn* loaded = *RhinoHost::PlugIns().Last();
  EXPECT_TRUE(loaded->PlugInID() == ON_UuidFromString(id()));
  EXPECT_STREQ(loaded->PlugInVersion(), L"1.0.16.31");

  // Unloading destroys them again.
  ASSERT_EQ(dlclose(module), 0);
  EXPECT_EQ(RhinoHost::PlugIns().Count(), plugInsBefore);
  EXPECT_EQ(RhinoHost::Commands().Count(), commandsBefore);
}

}  // namespace
