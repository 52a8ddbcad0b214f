// THeaderSection and THeaderControl: the header control.

#include "framework/list_controls.h"

#include <algorithm>

#include "framework/com_controls.h"
#include "framework/list_controls_internal.h"
#include "framework/message_box.h"

namespace quorvane {

using namespace list_controls_internal;

// ---- THeaderSection / THeaderControl ---------------------------------------------

const TClassInfo& THeaderSection::StaticClass()
{
    static const TClassInfo& info = DescribeClass<THeaderSection>(
        "THeaderSection", &TCollectionItem::StaticClass(), [](PropRegistrar<THeaderSection>& p) {
            p.AnsiText("Text", &THeaderSection::Text, &THeaderSection::SetText);
            p.Integer("Width", &THeaderSection::Width, &THeaderSection::SetWidth);
            p.Enumeration("Alignment", kAlignments, &THeaderSection::Alignment, &THeaderSection::SetAlignment);
            p.Integer("MinWidth", &THeaderSection::MinWidth, &THeaderSection::SetMinWidth);
            p.Integer("MaxWidth", &THeaderSection::MaxWidth, &THeaderSection::SetMaxWidth);
            p.Integer("ImageIndex", &THeaderSection::ImageIndex, &THeaderSection::SetImageIndex);
            p.Boolean("AllowClick", &THeaderSection::AllowClick, &THeaderSection::SetAllowClick);
        });
    return info;
}

void THeaderSection::SetText(const std::string& text)
{
    if (text == text_) return;
    text_ = text;
    Changed();
}

void THeaderSection::SetWidth(int width)
{
    width = std::clamp(width, minWidth_, std::max(minWidth_, maxWidth_));
    if (width == width_) return;
    width_ = width;
    Changed();
}

void THeaderSection::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Changed();
}

void THeaderSection::SetImageIndex(int index)
{
    if (index == imageIndex_) return;
    imageIndex_ = index;
    Changed();
}

const TClassInfo& THeaderControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass<THeaderControl>(
        "THeaderControl", &TWinControl::StaticClass(), [](PropRegistrar<THeaderControl>& p) {
            p.Object<TCollection>("Sections", &THeaderControl::Sections, nullptr);
            p.Object<TImageList>("Images", &THeaderControl::Images, &THeaderControl::SetImages);
            p.Boolean("HotTrack", &THeaderControl::HotTrack, &THeaderControl::SetHotTrack);
            p.Method("OnSectionClick", [](const THeaderControl& c) { return static_cast<bool>(c.OnSectionClick); });
            p.Method("OnSectionResize", [](const THeaderControl& c) { return static_cast<bool>(c.OnSectionResize); });
        });
    return info;
}

THeaderControl::THeaderControl(TComponent* owner)
    : TWinControl(owner),
      sections_(std::make_unique<THeaderSections>([this](TCollectionItem* item) {
          SectionChanged(static_cast<THeaderSection*>(item));
      }))
{
    StoreBounds(0, 0, 200, 17);
    SetAlign(alTop);
}

THeaderControl::~THeaderControl()
{
    BeforeDestruction();
    sections_.reset();
}

void THeaderControl::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"SysHeader32";
    params.style |= HDS_BUTTONS | HDS_HORZ | HDS_FULLDRAG;
    if (hotTrack_) params.style |= HDS_HOTTRACK;
}

void THeaderControl::InitializeWindow()
{
    if (images_) SendMessageW(Handle(), HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    SectionChanged(nullptr);
}

void THeaderControl::PutSection(int index, bool insert)
{
    const THeaderSection* section = sections_->At(index);
    std::u16string text = Utf8ToUtf16(section->text_);
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | (section->imageIndex_ >= 0 ? HDI_IMAGE : 0);
    item.pszText = W(text);
    item.cxy = section->width_;
    item.fmt = HDF_STRING | (section->alignment_ == taCenter         ? HDF_CENTER
                             : section->alignment_ == taRightJustify ? HDF_RIGHT
                                                                     : HDF_LEFT);
    if (section->imageIndex_ >= 0 && images_) item.fmt |= HDF_IMAGE;
    item.iImage = section->imageIndex_;
    SendMessageW(Handle(), insert ? HDM_INSERTITEMW : HDM_SETITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

void THeaderControl::SectionChanged(THeaderSection* section)
{
    if (!HandleAllocated() || IsDestroying()) return;
    if (section) {
        PutSection(section->Index(), false);
        return;
    }
    HWND window = Handle();
    while (SendMessageW(window, HDM_GETITEMCOUNT, 0, 0) > 0) SendMessageW(window, HDM_DELETEITEM, 0, 0);
    for (int i = 0; i < sections_->Count(); ++i) PutSection(i, true);
}

void THeaderControl::SetImages(TImageList* images)
{
    if (images == images_) return;
    images_ = images;
    if (images) images->FreeNotification(this);
    if (HandleAllocated()) {
        SendMessageW(Handle(), HDM_SETIMAGELIST, 0, images ? reinterpret_cast<LPARAM>(images->Handle()) : 0);
        SectionChanged(nullptr);
    }
}

void THeaderControl::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == images_) {
        images_ = nullptr;
        if (HandleAllocated()) SendMessageW(Handle(), HDM_SETIMAGELIST, 0, 0);
    }
}

void THeaderControl::SetHotTrack(bool value)
{
    if (value == hotTrack_) return;
    hotTrack_ = value;
    RecreateWnd();
}

RECT THeaderControl::SectionRect(int index)
{
    RECT rect{};
    if (HandleAllocated()) SendMessageW(Handle(), HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void THeaderControl::WndProc(TMessage& message)
{
    if (message.msg == CN_NOTIFY && NotifyHeader(message)->hwndFrom == WindowHandle()) {
        const auto* notify = reinterpret_cast<const NMHEADERW*>(message.lParam);
        const UINT code = notify->hdr.code;
        THeaderSection* section = sections_->At(notify->iItem);
        if (IsCode(code, HDN_ITEMCLICKA, HDN_ITEMCLICKW)) {
            if (section && section->allowClick_ && OnSectionClick) OnSectionClick(this, section);
            return;
        }
        if (IsCode(code, HDN_ITEMCHANGINGA, HDN_ITEMCHANGINGW)) {
            // The user's drag keeps to the section's limits.
            if (section && notify->pitem && (notify->pitem->mask & HDI_WIDTH))
                notify->pitem->cxy = std::clamp(notify->pitem->cxy, section->minWidth_,
                                                std::max(section->minWidth_, section->maxWidth_));
            message.result = FALSE;
            return;
        }
        if (IsCode(code, HDN_ITEMCHANGEDA, HDN_ITEMCHANGEDW)) {
            if (section && notify->pitem && (notify->pitem->mask & HDI_WIDTH) && notify->pitem->cxy != section->width_) {
                section->width_ = notify->pitem->cxy;
                if (OnSectionResize) OnSectionResize(this, section);
            }
            return;
        }
    }
    TWinControl::WndProc(message);
}

}  // namespace quorvane
