#pragma once
// What the pop-up menu shows when it opens (enable, check and radio marks, adapter item
// texts), and what the view switches of the menu change and save. Plain rules over the
// settings and the window's state, so every one is tested without a window.
#include <cstdint>
#include <string>

#include "engine/adapter_entry.h"
#include "settings/options.h"

namespace vantrel {

// The main window's state as the menu rules see it.
struct MenuContext {
  bool shown = false;       // the window is visible
  bool modalOpen = false;   // a modal window of the main window is open
  bool layered = false;     // SetLayeredWindowAttributes exists
  const Options* options = nullptr;
  const MonitoredList* adapters = nullptr;
};

struct MenuItemRule {
  bool enabled = true;
  bool checked = false;
  bool radio = false;       // the check is a radio mark
  bool setText = false;     // replace the caption by `text`
  std::wstring text;
};

// The rule for one command id; false when the id has no rule (the item is left as it is).
bool RuleForMenuItem(uint32_t id, const MenuContext& context, MenuItemRule* rule);

// A menu switch of the View sub-menu.
enum class ViewEffect {
  Views,            // pushed to every rate view
  Captions,         // ShowIPInTitle: every view's caption is rebuilt
  Unit,             // DisplayUnitByte: views, and the unit of the tray text
  GraphStyle,       // views and the tray's miniature
  AlwaysOnTop,      // applied to the window at once
  Caption,          // WS_CAPTION removed or added
  ClickThrough,     // layered attributes applied at once
  SemiTransparent,  // layered attributes applied at once
};

struct ViewToggle {
  uint32_t id;
  uint32_t Options::*field;
  uint32_t group;         // the save group written under HKEY_CURRENT_USER
  bool alsoMachine;       // and under HKEY_LOCAL_MACHINE while the service is enabled
  ViewEffect effect;
};

// The switch of a View command, or null for any other id.
const ViewToggle* FindViewToggle(uint32_t id);

enum class ToggleOutcome {
  Toggled,        // the switch changed; save and apply
  RefusedGuard,   // graph and text would both be off: "At least either graph or text should be displayed."
  NoLayered,      // a layered command without layered windows: nothing happens
};
// Toggles the switch in `options` unless a rule refuses it.
ToggleOutcome ApplyViewToggle(const ViewToggle& toggle, bool layered, Options* options);

// The General page's guard: graph and text may not both be off.
bool GraphOrTextShown(const Options& options);

}  // namespace vantrel
