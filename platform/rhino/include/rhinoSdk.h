// The host SDK stand-in in one include, as plug-in code expects: the application, documents and
// their objects and views, plug-ins and commands, and the render kit's document sun.
#pragma once

#include "rhinoSdkApp.h"
#include "rhinoSdkCommand.h"
#include "rhinoSdkDoc.h"
#include "rhinoSdkObjRef.h"
#include "rhinoSdkObject.h"
#include "rhinoSdkPlugIn.h"
#include "rhinoSdkView.h"
