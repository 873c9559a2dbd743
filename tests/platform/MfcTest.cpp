// Module states, application objects and the wait cursor, within this program and across a
// library loaded at run time.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "RhinoHostServices.h"
#include "afxwin.h"

namespace {

// This program plays the host: its global application object belongs to the base state.
CWinApp g_program_app;

TEST(ModuleState, TheHostProgramOwnsTheBaseStateAndItIsCurrentByDefault) {
  EXPECT_EQ(AfxGetStaticModuleState(), AfxGetAppModuleState());
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
  EXPECT_EQ(AfxGetApp(), &g_program_app);
}

TEST(ModuleState, ManageStateSwitchesAndRestoresAlsoDuringUnwinding) {
  AFX_MODULE_STATE plug_in, other;
  {
    AFX_MANAGE_STATE(&plug_in);
    EXPECT_EQ(AfxGetModuleState(), &plug_in);
    EXPECT_EQ(AfxGetApp(), nullptr);
    {
      AFX_MAINTAIN_STATE2 nested(&other);
      EXPECT_EQ(AfxGetModuleState(), &other);
    }
    EXPECT_EQ(AfxGetModuleState(), &plug_in);
  }
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());

  EXPECT_THROW(
      {
        AFX_MANAGE_STATE(&plug_in);
        throw std::runtime_error("export failed");
      },
      std::runtime_error);
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

TEST(WinApp, RegistersWithTheCurrentStateAndLeavesALaterAppAlone) {
  AFX_MODULE_STATE state;
  AFX_MANAGE_STATE(&state);
  auto* first = new CWinApp;
  EXPECT_EQ(AfxGetApp(), first);
  EXPECT_TRUE(first->InitInstance());
  EXPECT_EQ(first->ExitInstance(), 0);
  CWinApp second;
  delete first;  // no longer registered: must not clear the second
  EXPECT_EQ(AfxGetApp(), &second);
}

std::vector<int> g_cursor_calls;
void RecordCursor(int code) {
  g_cursor_calls.push_back(code);
}

class WaitCursor : public ::testing::Test {
 protected:
  void SetUp() override {
    g_cursor_calls.clear();
    AfxSetWaitCursorHandler(RecordCursor);
  }
  void TearDown() override { AfxSetWaitCursorHandler(nullptr); }
};

TEST_F(WaitCursor, NestsAndIgnoresUnmatchedEnds) {
  CWinApp* app = AfxGetApp();
  app->BeginWaitCursor();
  {
    CWaitCursor inner;
    EXPECT_EQ(app->WaitCursorCount(), 2);
  }
  app->DoWaitCursor(0);
  app->EndWaitCursor();
  app->EndWaitCursor();  // one too many
  app->DoWaitCursor(0);  // nothing to restore
  EXPECT_EQ(app->WaitCursorCount(), 0);
  EXPECT_EQ(g_cursor_calls, (std::vector<int>{1, 1, -1, 0, -1}));
}

TEST_F(WaitCursor, WithoutAnApplicationGoesStraightToTheHandler) {
  AFX_MODULE_STATE without_app;
  AFX_MANAGE_STATE(&without_app);
  { CWaitCursor wait; }
  EXPECT_EQ(g_cursor_calls, (std::vector<int>{1, -1}));
}

TEST(LoadedModule, HasItsOwnStateAndSharesTheProcessRegistries) {
  const int plug_ins = RhinoHost::PlugIns().Count();
  AFX_MODULE_STATE* before = AfxGetModuleState();
  void* library = dlopen(PLATFORM_TEST_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_EQ(AfxGetModuleState(), before);  // loading hands the caller its state back

  auto module_state = reinterpret_cast<AFX_MODULE_STATE* (*)()>(dlsym(library, "TestModuleState"));
  auto module_app = reinterpret_cast<CWinApp* (*)()>(dlsym(library, "TestModuleApp"));
  ASSERT_TRUE(module_state && module_app);
  EXPECT_NE(module_state(), AfxGetAppModuleState());
  EXPECT_EQ(module_state()->m_pCurrentWinApp, module_app());
  EXPECT_EQ(RhinoHost::PlugIns().Count(), plug_ins + 1);

  CRhinoCommand* command = RhinoHost::FindCommand(L"ModuleCommand");
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->RunCommand(CRhinoCommandContext()), CRhinoCommand::success);
  EXPECT_EQ(AfxGetModuleState(), before);

  dlclose(library);
  EXPECT_EQ(RhinoHost::PlugIns().Count(), plug_ins);
  EXPECT_EQ(RhinoHost::FindCommand(L"ModuleCommand"), nullptr);
}

}  // namespace
