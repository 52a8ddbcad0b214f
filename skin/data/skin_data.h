// TSkinData: the non-visual component a form carries to get its user
// interface skinned. It owns the skin package (stored with the form as
// SkinStream, or read from SkinFile), turns it into element descriptions and
// a colour table (SkinContent), and holds the options that tell the form
// engines and control skinners what to skin. It paints nothing itself.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/component.h"
#include "skin/data/gdi_handles.h"
#include "skin/data/memory_stream.h"
#include "skin/data/skin_content.h"

namespace quorvane {

class TControl;
class TSkinData;

// Control kinds the engine may skin; set bit n = member n.
enum TSkinControlType {
    xcMainMenu, xcPopupMenu, xcMenuItem, xcToolbar, xcControlbar, xcCombo, xcCheckBox, xcRadioButton,
    xcProgress, xcScrollbar, xcEdit, xcButton, xcBitBtn, xcSpeedButton, xcSpin, xcPanel, xcGroupBox,
    xcStatusBar, xcTab, xcTrackBar, xcSystemMenu, xcFastReport,
};
using TSkinControlTypes = unsigned;
constexpr int kSkinControlTypeCount = 22;

enum TSkinOption {
    xoMDIScrollbar, xoMenuMerge, xoTransparent, xoPreview, xoParentBackGround, xoNoFocusRect,
    xoToolbarBK, xoMDIChildBorder, xoMenuBG,
};
using TSkinOptions = unsigned;
constexpr int kSkinOptionCount = 9;

enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

// Identifiers of the enumerations, in member order (published property values).
const std::vector<std::string>& SkinControlTypeNames();
const std::vector<std::string>& SkinOptionNames();
const std::vector<std::string>& SkinFormTypeNames();

// Every kind but xcMenuItem and xcFastReport (0x1FFFFB).
constexpr TSkinControlTypes kDefaultSkinControls = 0x3FFFFFu & ~((1u << xcMenuItem) | (1u << xcFastReport));
constexpr TSkinOptions kDefaultSkinOptions = (1u << xoPreview) | (1u << xoToolbarBK);  // 0x48

// aName: the window's class name; DoSkin in/out.
using TOnFormSkin = std::function<void(TObject* sender, const std::string& aName, bool& DoSkin)>;
// Lets the application supply its own skinner for a control.
using TOnSkinControl = std::function<void(TComponent* sender, TSkinData* skinData, TControl* form,
                                          TControl* control, const std::string& controlClass,
                                          TComponent*& skinnedControl)>;

class TSkinData : public TComponent, public SkinContent {
    QUORVANE_CLASS(TSkinData)
public:
    static constexpr const char* kVersion = "4.04.04.11";

    explicit TSkinData(TComponent* owner);
    ~TSkinData() override;

    // --- Published properties ------------------------------------------------
    bool Active() const { return active_; }
    void SetActive(bool value);
    int32_t DisableTag() const { return disableTag_; }
    void SetDisableTag(int32_t value) { disableTag_ = value; }
    TSkinControlTypes SkinControls() const { return skinControls_; }
    void SetSkinControls(TSkinControlTypes value) { skinControls_ = value & ((1u << kSkinControlTypeCount) - 1); }
    TSkinOptions Options() const { return options_; }
    void SetOptions(TSkinOptions value) { options_ = value & ((1u << kSkinOptionCount) - 1); }
    const std::vector<std::string>& Skin3rd() const { return skin3rd_; }
    void SetSkin3rd(const std::vector<std::string>& lines) { skin3rd_ = lines; }
    const std::string& SkinFile() const { return skinFile_; }
    // At run time a file that exists is loaded and applied to every window;
    // one that cannot be read or loaded leaves the current skin as it is and
    // says why in SkinFileError.
    void SetSkinFile(const std::string& path);
    const std::string& SkinFileError() const { return skinFileError_; }
    // Display only: reads "(none)", ignores writes.
    std::string SkinStore() const { return "(none)"; }
    void SetSkinStore(const std::string&) {}
    TSkinFormType SkinFormtype() const { return skinFormtype_; }
    void SetSkinFormtype(TSkinFormType value) { skinFormtype_ = value; }
    std::string Version() const { return kVersion; }
    void SetVersion(const std::string&) {}
    bool MenuUpdate() const { return menuUpdate_; }
    void SetMenuUpdate(bool value) { menuUpdate_ = value; }
    bool MenuMerge() const { return menuMerge_; }
    void SetMenuMerge(bool value) { menuMerge_ = value; }

    TOnFormSkin OnFormSkin;
    TNotifyEvent OnSkinChanged;
    TOnSkinControl OnSkinControl;

    // --- The stored package (SkinStream) -------------------------------------
    // Reads the stored form: a 32-bit little-endian count n, then n bytes.
    // n <= 0 keeps the package; otherwise it is replaced and loaded. A count
    // larger than the bytes that follow takes only what is there.
    void ReadSkinStream(MemoryStream& stream);
    // Writes the package size as 32 bits, then the package bytes when above 0.
    void WriteSkinStream(MemoryStream& stream) const;
    // The package bytes as kept (from SkinStream or SkinFile).
    const MemoryStream& Package() const { return package_; }
    // Replaces the package and loads it (as reading SkinStream does).
    void SetPackage(std::vector<uint8_t> bytes);
    // At run time: loads another package and applies it to every window
    // skinned with this component. A package that does not load changes
    // nothing (false).
    bool ApplyPackage(std::vector<uint8_t> bytes);

    // Decodes the package, reads its description and builds every element.
    // False (and not loaded) for a package of another version, and for one
    // that cannot be decoded; the previous elements are then kept.
    bool LoadSkin();
    // True from creation and the start of every load until a load completes.
    bool NotLoaded() const { return notLoaded_; }

    // Asked before a new top-level window is skinned.
    void FormSkinFilter(TObject* window, const std::string& className, bool& doSkin);
    TObject* LastFilteredWindow() const { return lastFilteredWindow_; }
    // Fires OnSkinChanged (Sender = this component).
    void NotifySkinChanged();

    // --- Resources the painters share ----------------------------------------
    HFONT CaptionFont() const { return captionFont_.get(); }
    // The application's small icon on magenta (the transparent colour).
    // Loaded takes the icon of a window of this thread, else the program's
    // first icon resource; an application that sets its icon later hands it
    // over here (null leaves plain magenta).
    HBITMAP AppIconBitmap() const { return appIcon_.get(); }
    void SetApplicationIcon(HICON icon);
    // 16 x 16 menu glyphs from "TUMBRELMENU", white masked.
    HIMAGELIST MenuImages() const { return menuImages_; }
    SIZE MaximizedSize() const { return maximizedSize_; }
    // Cleared and set by the form engines around menu changes.
    bool FramePaintEnabled = true;

protected:
    void Loaded() override;
    void ElementsAboutToChange() override;

private:
    void CreateCaptionFont();
    void CaptureApplicationIcon();

    bool active_ = false;
    int32_t disableTag_ = 99;
    TSkinControlTypes skinControls_ = kDefaultSkinControls;
    TSkinOptions options_ = kDefaultSkinOptions;
    std::vector<std::string> skin3rd_;
    std::string skinFile_;
    std::string skinFileError_;
    TSkinFormType skinFormtype_ = sfMainform;
    bool menuUpdate_ = true;
    bool menuMerge_ = false;

    MemoryStream package_;
    bool notLoaded_ = true;
    UniqueFont captionFont_;
    UniqueBitmap appIcon_;
    HIMAGELIST menuImages_ = nullptr;
    SIZE maximizedSize_{0, 0};
    TObject* lastFilteredWindow_ = nullptr;
};

// The reader window's SkinData1: its stored property values (Active,
// DisableTag 99, its SkinControls, Options, its 95-line Skin3rd map,
// sfMainform, MenuUpdate, not MenuMerge) and its stored package (empty: none,
// as a stored size of 0). Call while the form is loading, before Loaded.
void ApplyReaderSkinDataValues(TSkinData& data, const std::vector<uint8_t>& package);
// The reader window's SkinControls.
constexpr TSkinControlTypes kReaderSkinControls =
    (1u << xcMainMenu) | (1u << xcPopupMenu) | (1u << xcToolbar) | (1u << xcControlbar) | (1u << xcCombo) |
    (1u << xcCheckBox) | (1u << xcRadioButton) | (1u << xcProgress) | (1u << xcScrollbar) | (1u << xcEdit) |
    (1u << xcButton) | (1u << xcBitBtn) | (1u << xcSpeedButton) | (1u << xcPanel) | (1u << xcGroupBox) |
    (1u << xcStatusBar) | (1u << xcTab) | (1u << xcSystemMenu);

}  // namespace quorvane
