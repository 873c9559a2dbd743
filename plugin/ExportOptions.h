// The plug-in's process-wide export state: the two options chosen in the options dialog and the
// parts of the last export target. They live as long as the plug-in library is loaded.
#pragma once

#include "stdafx.h"

/// Values of GroupingMode: how the exported objects are gathered into scene objects.
enum GroupingModes : int {
  SingleObject = 0,  // everything in one scene object
  ByMaterial = 1,    // one scene object per distinct material
  ByLayer = 2,       // one scene object per document layer
  ByObject = 3,      // one scene object per document object
};

/// The grouping mode of later exports; SingleObject at load. Changed only by the options dialog.
extern int GroupingMode;
/// 1 (at load): every instance goes on the one root scene layer; 0: one scene layer per document
/// layer. Changed only by the options dialog.
extern int singleLayerOutput;

/// File name of the last export target without folder and extension; empty at load.
extern CString exportBaseName;
/// Drive and folder of the last export target, with the trailing separator; empty at load.
extern CString exportFolder;
