// What the dialog user sees and does: the installed user, a dialog's title and controls,
// clicks and the caption's help button.
#include "user32/DialogUser.h"

#include "WindowSystem.h"

namespace user32 {
namespace {

std::string KindOf(const detail::Window& control) {
  if (control.className == "Static") return "static";
  if (control.className == "Edit") return "edit";
  switch (control.style & BS_TYPEMASK) {
    case BS_GROUPBOX:
      return "groupbox";
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return "radio";
    case BS_DEFPUSHBUTTON:
      return "defbutton";
    default:
      return "button";
  }
}

}  // namespace

void SetDialogUser(DialogUser* user) noexcept {
  detail::WindowSystem::Get().SetUser(user);
}

DialogUser* GetDialogUser() noexcept {
  return detail::WindowSystem::Get().GetUser();
}

std::string GetDialogTitle(HWND dialog) {
  std::string title;
  detail::WindowSystem::Get().Visit(dialog, [&title](detail::Window& w) { title = w.text; });
  return title;
}

std::vector<ControlView> DescribeDialog(HWND dialog) {
  std::vector<HWND> children;
  detail::WindowSystem::Get().Visit(dialog, [&children](detail::Window& w) {
    if (w.kind == detail::WindowKind::Dialog || w.kind == detail::WindowKind::Page) {
      children = w.children;
    }
  });
  std::vector<ControlView> views;
  for (HWND child : children) {
    detail::WindowSystem::Get().Visit(child, [&views](detail::Window& w) {
      views.push_back({w.id, KindOf(w), w.text, w.checked, w.x, w.y, w.width, w.height});
    });
  }
  return views;
}

void ClickButton(HWND dialog, int id) {
  detail::ClickControl(dialog, id);
}

void RequestContextHelp(HWND dialog) {
  // The caption shows the help button only for windows with WS_EX_CONTEXTHELP.
  bool hasButton = false;
  detail::WindowSystem::Get().Visit(dialog, [&hasButton](detail::Window& w) {
    hasButton = (w.kind == detail::WindowKind::Dialog || w.kind == detail::WindowKind::Page) &&
                (w.exStyle & WS_EX_CONTEXTHELP) != 0;
  });
  if (hasButton && !detail::HasEnded(dialog)) {
    detail::SendToDialog(dialog, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
  }
}

bool IsDialogEnded(HWND dialog) {
  return detail::HasEnded(dialog);
}

}  // namespace user32
