// The cool bar over the platform's rebar (ReBarWindow32): bands the user
// can move and size, each with a caption, a colour and a child control.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "framework/collections.h"
#include "framework/controls.h"
#include "framework/image_list.h"

namespace quorvane {

class TCoolBar;

class TCoolBand : public TCollectionItem {
    QUORVANE_CLASS(TCoolBand)
public:
    explicit TCoolBand(TCollection* collection) : TCollectionItem(collection) {}

    // The control the band holds; it becomes a child of the cool bar.
    TWinControl* Control() const { return control_; }
    void SetControl(TWinControl* control);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    // Read back from the window, where the user may have dragged it.
    int Width() const;
    void SetWidth(int width);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int value);
    int MinHeight() const { return minHeight_; }
    void SetMinHeight(int value);
    // Starts a new row.
    bool Break() const { return break_; }
    void SetBreak(bool value);
    bool FixedSize() const { return fixedSize_; }
    void SetFixedSize(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // The band's background.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);

private:
    friend class TCoolBar;
    TCoolBar* coolBar_ = nullptr;
    TWinControl* control_ = nullptr;
    std::string text_;
    int width_ = 100;
    int minWidth_ = 0;
    int minHeight_ = 25;
    bool break_ = true;
    bool fixedSize_ = false;
    bool visible_ = true;
    TColor color_ = clBtnFace;
    int imageIndex_ = -1;
};

using TCoolBands = TOwnedCollection<TCoolBand>;

class TCoolBar : public TWinControl {
    QUORVANE_CLASS(TCoolBar)
public:
    explicit TCoolBar(TComponent* owner);
    ~TCoolBar() override;

    TCoolBands* Bands() const { return bands_.get(); }
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    // The bar's height follows its rows of bands.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    // The user cannot move a band in front of the first.
    bool FixedOrder() const { return fixedOrder_; }
    void SetFixedOrder(bool value);
    // A band's rectangle in client coordinates.
    RECT BandRect(int index);

    void WndProc(TMessage& message) override;
    // The bands take their (system) colours again.
    void SystemColoursChanged() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void DestroyWnd() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCoolBand;
    void BandsChanged();
    void PutBands();
    void FitHeight();
    // Paints the bar through an off-screen copy whose edge colours are
    // replaced by the resolved ones; false when every colour resolves to
    // the platform's own (the platform paints as it is).
    bool PaintInResolvedColours();

    std::unique_ptr<TCoolBands> bands_;
    TImageList* images_ = nullptr;
    bool autoSize_ = true;
    bool fixedOrder_ = false;
    bool putting_ = false;
};

}  // namespace quorvane
