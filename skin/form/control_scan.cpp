#include "skin/form/control_scan.h"

#include <functional>

#include "framework/forms.h"
#include "framework/menus.h"
#include "skin/controls/skin_control.h"
#include "skin/data/skin_data.h"
#include "skin/form/form_engine.h"
#include "skin/form/menu_items.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

TSkinData* SkinOf(TWinSkinForm* engine)
{
    return engine ? engine->SkinData() : nullptr;
}

void WalkItems(TMenuItem* item, int depth, const std::function<void(TMenuItem*, int)>& visit)
{
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* child = item->Items(i);
        visit(child, depth);
        WalkItems(child, depth + 1, visit);
    }
}

// Gives an item the skin's handlers; the application's own stay.
void GiveHandlers(TSkinData* skinData, TMenuItem* item, bool popupMeasurer)
{
    if (!item->OnDrawItem || IsSkinHandler(item->OnDrawItem)) item->OnDrawItem = SkinItemPainter(skinData);
    if (!item->OnMeasureItem || IsSkinHandler(item->OnMeasureItem))
        item->OnMeasureItem = popupMeasurer ? SkinPopupItemMeasurer(skinData) : SkinMenuItemMeasurer(skinData);
}

void TakeHandlers(TMenuItem* item)
{
    if (IsSkinHandler(item->OnDrawItem)) item->OnDrawItem = nullptr;
    if (IsSkinHandler(item->OnMeasureItem)) item->OnMeasureItem = nullptr;
}

}  // namespace

void ScanForm(TWinSkinForm* engine, TWinControl* form)
{
    if (!engine || !form) return;
    engine->FreeDeadSkinners();
    ScanComponents(engine, form);
}

void ScanWindows(TWinSkinForm* engine, HWND parent)
{
    if (!engine || !parent) return;
    engine->FreeDeadSkinners();
}

void ScanComponents(TWinSkinForm* engine, TComponent* container)
{
    TSkinData* skinData = SkinOf(engine);
    if (!container || !skinData) return;
    if (InSet(skinData->SkinControls(), xcPopupMenu)) SetPopupMenusOwnerDraw(engine, container, true);
}

void SetPopupMenusOwnerDraw(TWinSkinForm* engine, TComponent* container, bool on)
{
    TSkinData* skinData = SkinOf(engine);
    if (!container || !skinData || container->ClassName() == "TwwRichEditForm") return;
    for (int i = 0; i < container->ComponentCount(); ++i) {
        TComponent* component = container->Components(i);
        if (component->Is<TForm>()) {
            SetPopupMenusOwnerDraw(engine, component, on);
            continue;
        }
        auto* popup = As<TPopupMenu>(component);
        if (!popup || popup->Tag() == kSystemMenuTag) continue;
        if (on && (!InSet(skinData->SkinControls(), xcPopupMenu) || popup->Tag() == skinData->DisableTag())) continue;
        popup->SetOwnerDraw(on);
        WalkItems(popup->Items(), 1, [&](TMenuItem* item, int) {
            if (on)
                GiveHandlers(skinData, item, true);
            else
                TakeHandlers(item);
        });
    }
}

void SetMainMenusOwnerDraw(TWinSkinForm* engine, TComponent* container, bool on)
{
    TSkinData* skinData = SkinOf(engine);
    if (!container || !skinData) return;
    for (int i = 0; i < container->ComponentCount(); ++i) {
        auto* menu = As<TMainMenu>(container->Components(i));
        if (!menu) continue;
        menu->SetOwnerDraw(on);
        WalkItems(menu->Items(), 1, [&](TMenuItem* item, int depth) {
            if (!on)
                TakeHandlers(item);
            else if (depth >= 2)
                GiveHandlers(skinData, item, false);
        });
    }
}

void SetMenuItemHandlers(TWinSkinForm* engine, TMenuItem* item, bool on)
{
    TSkinData* skinData = SkinOf(engine);
    if (!item || !skinData) return;
    auto apply = [&](TMenuItem* each) {
        if (on)
            GiveHandlers(skinData, each, false);
        else
            TakeHandlers(each);
    };
    apply(item);
    WalkItems(item, 1, [&](TMenuItem* each, int) { apply(each); });
}

void RecreateScrollSkinner(TWinSkinForm* engine, HWND control)
{
    if (!engine || !control) return;
    // The scroll bar skinners come with the control skinners; a skinner of
    // a re-created window is freed so the next scan can attach anew.
    if (TSkinControl* old = engine->FindSkinner(control)) {
        engine->RemoveSkinner(old);
        Free(old);
    }
}

void ClearToolbarHandlers(TControl* control)
{
    (void)control;
}

}  // namespace quorvane
