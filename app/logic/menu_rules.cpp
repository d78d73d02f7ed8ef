#include "app/logic/menu_rules.h"

#include "app/res/resource.h"

namespace vantrel {

namespace {

constexpr ViewToggle kViewToggles[] = {
    {ID_VIEW_TITLE, &Options::displayTitle, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_IP_IN_TITLE, &Options::showIPInTitle, kGroupGeneral, true, ViewEffect::Captions},
    {ID_VIEW_GRAPH, &Options::displayGraph, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_COLUMN_GRAPH, &Options::graphStyle, kGroupStyle, false, ViewEffect::GraphStyle},
    {ID_VIEW_LINE_GRAPH, &Options::graphStyle, kGroupStyle, false, ViewEffect::GraphStyle},
    {ID_VIEW_SCALE, &Options::displayScale, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_SCALE_GRID, &Options::displayScaleGrid, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_TIME_TEXT, &Options::displayTimeText, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_TIME_GRID, &Options::displayTimeGrid, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_AVG_DOWN_LINE, &Options::dispAvgDownLine, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_AVG_UP_LINE, &Options::dispAvgUpLine, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_TEXT, &Options::displayText, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_MAX_RATE, &Options::displayMaxRateInText, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_AVG_VALUES, &Options::dispAvgValuesInText, kGroupDisplay, false, ViewEffect::Views},
    {ID_VIEW_UNIT_BYTES, &Options::displayUnitByte, kGroupGeneral, true, ViewEffect::Unit},
    {ID_VIEW_UNIT_BITS, &Options::displayUnitByte, kGroupGeneral, true, ViewEffect::Unit},
    {ID_VIEW_ALWAYS_ON_TOP, &Options::alwaysOnTop, kGroupGeneral, false, ViewEffect::AlwaysOnTop},
    {ID_VIEW_CAPTION, &Options::showCaption, kGroupGeneral, false, ViewEffect::Caption},
    {ID_VIEW_CLICK_THROUGH, &Options::enableClickThrough, kGroupGeneral, false, ViewEffect::ClickThrough},
    {ID_VIEW_SEMI_TRANSPARENT, &Options::semiTransparent, kGroupGeneral, false, ViewEffect::SemiTransparent},
};

bool On(uint32_t v) { return v != 0; }

}  // namespace

const ViewToggle* FindViewToggle(uint32_t id) {
  for (const auto& t : kViewToggles)
    if (t.id == id) return &t;
  return nullptr;
}

bool GraphOrTextShown(const Options& o) { return On(o.displayGraph) || On(o.displayText); }

ToggleOutcome ApplyViewToggle(const ViewToggle& toggle, bool layered, Options* o) {
  bool layeredCommand = toggle.effect == ViewEffect::ClickThrough || toggle.effect == ViewEffect::SemiTransparent;
  if (layeredCommand && !layered) return ToggleOutcome::NoLayered;
  uint32_t& value = o->*(toggle.field);
  if (toggle.id == ID_VIEW_GRAPH && On(value) && !On(o->displayText)) return ToggleOutcome::RefusedGuard;
  if (toggle.id == ID_VIEW_TEXT && On(value) && !On(o->displayGraph)) return ToggleOutcome::RefusedGuard;
  value = On(value) ? 0 : 1;
  return ToggleOutcome::Toggled;
}

bool RuleForMenuItem(uint32_t id, const MenuContext& c, MenuItemRule* rule) {
  *rule = MenuItemRule{};
  switch (id) {
    case ID_SHOW:
      rule->enabled = !c.shown;
      return true;
    case ID_HIDE:
      rule->enabled = c.shown;
      return true;
    case ID_OPTIONS:
    case ID_TRAFFIC_REPORTS:
    case ID_STOPWATCH:
    case ID_RATES_RECORDER:
    case ID_APP_ABOUT:
      rule->enabled = !c.modalOpen;
      return true;
    default:
      break;
  }

  if (id >= ID_ADAPTER_FIRST && id <= ID_RESET_LAST) {
    const AdapterEntry* e = nullptr;
    bool adapterItem = id <= ID_ADAPTER_LAST;
    if (c.adapters) {
      for (const auto& entry : *c.adapters) {
        if ((adapterItem ? entry.adapterCmdId : entry.resetCmdId) == id) {
          e = &entry;
          break;
        }
      }
    }
    if (!e) {
      // An id that matches no adapter: unchecked, or disabled.
      rule->checked = false;
      rule->enabled = adapterItem;
      return true;
    }
    rule->setText = true;
    rule->text = EntryTitle(*e, c.options && On(c.options->showIPInTitle));
    if (adapterItem)
      rule->checked = e->view != nullptr;
    else
      rule->enabled = e->view != nullptr;
    return true;
  }

  const ViewToggle* t = FindViewToggle(id);
  if (!t || !c.options) return false;
  const Options& o = *c.options;
  switch (id) {
    case ID_VIEW_COLUMN_GRAPH:
      rule->checked = On(o.graphStyle);
      rule->radio = true;
      return true;
    case ID_VIEW_LINE_GRAPH:
      rule->checked = !On(o.graphStyle);
      rule->radio = true;
      return true;
    case ID_VIEW_UNIT_BYTES:
      rule->checked = On(o.displayUnitByte);
      rule->radio = true;
      return true;
    case ID_VIEW_UNIT_BITS:
      rule->checked = !On(o.displayUnitByte);
      rule->radio = true;
      return true;
    case ID_VIEW_CLICK_THROUGH:
    case ID_VIEW_SEMI_TRANSPARENT:
      rule->enabled = c.layered;
      rule->checked = c.layered && On(o.*(t->field));
      return true;
    default:
      rule->checked = On(o.*(t->field));
      return true;
  }
}

}  // namespace vantrel
