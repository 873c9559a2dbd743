// Resource ids of the plug-in module: the options dialog template and its controls, shared by the
// resource script ORVExportPlugIn.rc and the dialog code.
#pragma once

#define IDD_OPTIONS 30002
#define IDC_SINGLE_LAYER_OUTPUT 30002
#define IDC_BY_MATERIAL 30003
#define IDC_BY_LAYER 30004
#define IDC_BY_OBJECT 30005
#define IDC_MATERIAL_DEFINED_GROUP 30006
#define IDC_SINGLE_OBJECT 30008
