// OwnedArray: the arrays of heap copies that one export step makes and must free — object
// duplicates of a group, render-mesh copies of an object — deleted however the step ends.
#pragma once

#include "plugin/stdafx.h"

/// An ON_SimpleArray of pointers that owns what they point at: DeleteAll and the destructor
/// delete every non-null entry. Pass it where an ON_SimpleArray<T*> is expected to let a callee
/// append to it. Setting an entry to null hands that object back to the caller.
template <class T>
class OwnedArray : public ON_SimpleArray<T*> {
 public:
  OwnedArray() = default;
  ~OwnedArray() { DeleteAll(); }
  OwnedArray(const OwnedArray&) = delete;
  OwnedArray& operator=(const OwnedArray&) = delete;

  /// Deletes every non-null entry and empties the array.
  void DeleteAll() {
    for (int i = 0; i < this->Count(); ++i) {
      delete (*this)[i];
      (*this)[i] = nullptr;
    }
    this->Empty();
  }
};
