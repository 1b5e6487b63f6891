// Ids of the plug-in module's dialog resources and of their controls, shared by the
// resource script and the dialog code (plain #defines, so the resource compiler reads them).
#pragma once

// Dialog templates: the modal options dialog and the property sheet page.
#define IDD_LAT_EXPORT_MODAL 105
#define IDD_LAT_EXPORT_PAGE 106

// Blank method choices; radio button IDC_BLANK_DATA_MIN + m stands for method m.
#define IDC_BLANK_DATA_MIN 1200
#define IDC_BLANK_DATA_MAX 1201
#define IDC_BLANK_TYPE_MIN 1202
#define IDC_BLANK_TYPE_MAX 1203
#define IDC_BLANK_FIXED 1204
// The fixed value's edit field.
#define IDC_FIXED_VALUE 1205
// Range displays next to the choices.
#define IDC_SHOW_DATA_MIN 1250
#define IDC_SHOW_DATA_MAX 1251
#define IDC_SHOW_TYPE_MIN 1252
#define IDC_SHOW_TYPE_MAX 1253
// Resets the choices to their defaults.
#define IDC_DEFAULTS 1254

// Controls the code never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
