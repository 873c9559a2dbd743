// The module state of the module that links this library, and the switch to it while the module's
// global objects are constructed. A plug-in library gets a state of its own; the host program's
// is the process's base state.
#include "afxwin.h"

// Defined by the linker in executables only; a weak reference stays null inside a library.
extern "C" char __executable_start __attribute__((weak, visibility("hidden")));

namespace {

bool InHostProgram() {
  return &__executable_start != nullptr;
}

AFX_MODULE_STATE g_library_state;
AFX_MODULE_STATE* g_state_before_load = nullptr;

// Runs before every ordinary global constructor of this module, so that a global CWinApp
// registers with this module's state, as it does when a library is loaded by the framework.
__attribute__((constructor(101))) void EnterModuleStateForLoad() {
  g_state_before_load = AfxSetModuleState(AfxGetStaticModuleState());
}

// This library is linked after the module's own objects, so this global's constructor is the
// last of the module's load-time constructors: it hands the loader its state back.
struct LeaveModuleStateAfterLoad {
  LeaveModuleStateAfterLoad() { AfxSetModuleState(g_state_before_load); }
} g_leave_after_load;

}  // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState() {
  return InHostProgram() ? AfxGetAppModuleState() : &g_library_state;
}
