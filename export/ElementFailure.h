// Whether one element's failure ends the export: what the host or the scene library throws while
// one element is written leaves that element out and the export goes on; running out of memory
// is no element's fault and ends it, since a scene missing what could not be held must not pass
// for the whole document.
#pragma once

#include <exception>
#include <new>
#include <type_traits>

/// Runs `write` and returns what it returns (true when it returns nothing). Rethrows
/// std::bad_alloc; any other exception leaves the element out: `leftOut` is called with the
/// exception's what() (null for one that is no std::exception) and false is returned. Whatever
/// `write` already sent stays.
template <class Write, class LeftOut>
bool writeOrLeaveOut(Write&& write, LeftOut&& leftOut) {
  try {
    if constexpr (std::is_void_v<decltype(write())>) {
      write();
      return true;
    } else {
      return write();
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& failure) {
    leftOut(failure.what());
  } catch (...) {
    leftOut(static_cast<const char*>(nullptr));
  }
  return false;
}

/// writeOrLeaveOut for an element whose failure nobody is told of.
template <class Write>
bool writeOrLeaveOut(Write&& write) {
  return writeOrLeaveOut(write, [](const char*) {});
}
