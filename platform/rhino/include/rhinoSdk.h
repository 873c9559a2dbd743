// The host SDK stand-in in one include, as plug-in code expects: the application, documents and
// their objects, plug-ins and commands.
#pragma once

#include "rhinoSdkApp.h"
#include "rhinoSdkCommand.h"
#include "rhinoSdkDoc.h"
#include "rhinoSdkObjRef.h"
#include "rhinoSdkObject.h"
#include "rhinoSdkPlugIn.h"
