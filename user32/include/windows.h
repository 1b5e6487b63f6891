// The part of the Win32 user interface API that the plug-in's dialog code and the host's
// property-page code use, for systems without Win32. The names, types, values and record
// layouts are those of Win32 (64-bit), so the same dialog code builds against either.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#error "This stand-in is for systems without Win32; use the real <windows.h>."
#endif

#include "user32/Export.h"

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef std::uint16_t WORD;
typedef std::int32_t LONG;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t ULONG_PTR;
typedef std::uintptr_t DWORD_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* HANDLE;

struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
struct HICON__;
typedef HICON__* HICON;

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKEWPARAM(l, h)                                 \
  ((WPARAM)(DWORD)(((WORD)(((DWORD_PTR)(l)) & 0xffff)) | \
                   ((DWORD)((WORD)(((DWORD_PTR)(h)) & 0xffff))) << 16))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

// Window messages.
#define WM_CLOSE 0x0010
#define WM_NOTIFY 0x004E
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112

// System commands.
#define SC_CLOSE 0xF060
#define SC_CONTEXTHELP 0xF180

// Button messages and states.
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BN_CLICKED 0

// Standard dialog button ids.
#define IDOK 1
#define IDCANCEL 2

// Window long slots.
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)
#define GWLP_ID (-12)
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC (DWLP_MSGRESULT + (int)sizeof(LRESULT))
#define DWLP_USER (DWLP_DLGPROC + (int)sizeof(DLGPROC))

// Extended window styles.
#define WS_EX_CONTEXTHELP 0x00000400L

// Window styles.
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

// Dialog styles.
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_FIXEDSYS 0x0008L
#define DS_3DLOOK 0x0004L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Button styles; the low four bits are the button's type.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL

// Edit and static styles.
#define ES_LEFT 0x0000L
#define ES_CENTER 0x0001L
#define ES_RIGHT 0x0002L
#define ES_AUTOHSCROLL 0x0080L
#define ES_READONLY 0x0800L
#define ES_NUMBER 0x2000L
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L

// Languages of resources.
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_ENGLISH_US 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

// Header of a WM_NOTIFY message.
typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR, *LPNMHDR;

extern "C" {
USER32_API INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                                          DLGPROC dialogProc, LPARAM initParam);
USER32_API BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
USER32_API HWND WINAPI GetDlgItem(HWND dialog, int id);
USER32_API int WINAPI GetDlgCtrlID(HWND control);
USER32_API HWND WINAPI GetParent(HWND window);
USER32_API UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount);
USER32_API BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
USER32_API int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount);
USER32_API int WINAPI GetWindowTextLengthA(HWND window);
USER32_API BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
USER32_API BOOL WINAPI CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
USER32_API BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
USER32_API UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
USER32_API LONG WINAPI GetWindowLongA(HWND window, int index);
USER32_API LONG WINAPI SetWindowLongA(HWND window, int index, LONG value);
USER32_API LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index);
USER32_API LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
USER32_API LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
}
