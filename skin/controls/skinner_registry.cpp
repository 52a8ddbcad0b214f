#include "skin/controls/skinner_registry.h"

#include "framework/object.h"
#include "skin/controls/button_skinners.h"
#include "skin/controls/check_skinners.h"
#include "skin/controls/combo_skinners.h"
#include "skin/controls/edit_skinners.h"
#include "skin/controls/media_skinners.h"
#include "skin/controls/scrollbar_skinners.h"
#include "skin/controls/status_skinners.h"
#include "skin/controls/tab_skinners.h"

namespace quorvane {

namespace {

using Factory = TSkinControl* (*)(TComponent* owner);

template <class T>
TSkinControl* Make(TComponent* owner)
{
    return new T(owner);
}

struct Entry {
    std::string_view name;
    Factory make;
};

// Every skinner class the scan may ask for.
constexpr Entry kSkinners[] = {
    {"TSkinButton", Make<TSkinButton>},
    {"TSkinBitButton", Make<TSkinBitButton>},
    {"TSkinSpeedButton", Make<TSkinSpeedButton>},
    {"TSkinMenuButton", Make<TSkinMenuButton>},
    {"TSkinCheckBox", Make<TSkinCheckBox>},
    {"TSkinRadioButton", Make<TSkinRadioButton>},
    {"TSkinGroupBox", Make<TSkinGroupBox>},
    {"TSkinBox", Make<TSkinBox>},
    {"TSkinBoxH", Make<TSkinBoxH>},
    {"TSkinSizer", Make<TSkinSizer>},
    {"TSkinObjImage", Make<TSkinObjImage>},
    {"TSkinScrollbar", Make<TSkinScrollbar>},
    {"TSkinScrollbarH", Make<TSkinScrollbarH>},
    {"TSkinScControl", Make<TSkinScControl>},
    {"TSkinListView", Make<TSkinListView>},
    {"TSkinComBox", Make<TSkinComBox>},
    {"TSkinEdit", Make<TSkinEdit>},
    {"TSkinDateTime", Make<TSkinDateTime>},
    {"TSkinUpDown", Make<TSkinUpDown>},
    {"TSkinStatusBar", Make<TSkinStatusBar>},
    {"TSkinProgress", Make<TSkinProgress>},
    {"TSkinTrackBar", Make<TSkinTrackBar>},
    {"TSkinTab", Make<TSkinTab>},
    {"TSkinTabBtn", Make<TSkinTabBtn>},
    {"TSkinTab31", Make<TSkinTab31>},
    {"TSkinTabSheet", Make<TSkinTabSheet>},
    {"TSkinAdvPage", Make<TSkinAdvPage>},
    {"TSkinHeader", Make<TSkinHeader>},
    {"TSkinMP", Make<TSkinMP>},
};

const Entry* Find(std::string_view className)
{
    for (const Entry& entry : kSkinners)
        if (SameText(entry.name, className)) return &entry;
    return nullptr;
}

}  // namespace

TSkinControl* CreateSkinner(std::string_view className, TComponent* owner)
{
    const Entry* entry = Find(className);
    return entry ? entry->make(owner) : nullptr;
}

bool HasSkinner(std::string_view className)
{
    return Find(className) != nullptr;
}

}  // namespace quorvane
