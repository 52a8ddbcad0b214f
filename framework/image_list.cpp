#include "framework/image_list.h"

#include "framework/com_controls.h"

namespace quorvane {

const TClassInfo& TImageList::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TImageList>("TImageList", &TComponent::StaticClass(), [](PropRegistrar<TImageList>& p) {
            p.Integer("Width", &TImageList::Width, &TImageList::SetWidth);
            p.Integer("Height", &TImageList::Height, &TImageList::SetHeight);
            p.Integer("Count", &TImageList::Count, nullptr);
            p.Boolean("ShareImages", &TImageList::ShareImages, &TImageList::SetShareImages);
        });
    return info;
}

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList()
{
    ReleaseHandle();
}

void TImageList::ReleaseHandle()
{
    if (handle_ && !shareImages_) ImageList_Destroy(handle_);
    handle_ = nullptr;
}

void TImageList::Recreate()
{
    ReleaseHandle();
    shareImages_ = false;
    Changed();
}

void TImageList::SetHandle(HIMAGELIST handle, bool share)
{
    if (handle == handle_) {
        shareImages_ = share;
        return;
    }
    ReleaseHandle();
    handle_ = handle;
    shareImages_ = share;
    int width = 0, height = 0;
    if (handle && ImageList_GetIconSize(handle, &width, &height)) {
        width_ = width;
        height_ = height;
    }
    Changed();
}

void TImageList::SetWidth(int width)
{
    if (width == width_ || width <= 0) return;
    width_ = width;
    Recreate();
}

void TImageList::SetHeight(int height)
{
    if (height == height_ || height <= 0) return;
    height_ = height;
    Recreate();
}

HIMAGELIST TImageList::Handle()
{
    if (!handle_) {
        InitCommonControlsOnce();
        handle_ = ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, 4, 4);
        if (!handle_) throw Exception("Cannot create an image list");
    }
    return handle_;
}

int TImageList::Count() const
{
    return handle_ ? ImageList_GetImageCount(handle_) : 0;
}

int TImageList::AddMasked(HBITMAP picture, TColor maskColor)
{
    if (!picture) return -1;
    const int index = ImageList_AddMasked(Handle(), picture, ColorToRGB(maskColor));
    Changed();
    return index;
}

int TImageList::Add(HBITMAP picture, HBITMAP mask)
{
    if (!picture) return -1;
    const int index = ImageList_Add(Handle(), picture, mask);
    Changed();
    return index;
}

int TImageList::AddIcon(HICON icon)
{
    if (!icon) return -1;
    const int index = ImageList_ReplaceIcon(Handle(), -1, icon);
    Changed();
    return index;
}

void TImageList::Delete(int index)
{
    if (!handle_ || index < 0 || index >= Count()) return;
    ImageList_Remove(handle_, index);
    Changed();
}

void TImageList::Clear()
{
    if (!handle_) return;
    ImageList_Remove(handle_, -1);
    Changed();
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled)
{
    if (!handle_ || index < 0 || index >= Count()) return;
    if (enabled) {
        ImageList_Draw(handle_, index, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    IMAGELISTDRAWPARAMS params{};
    params.cbSize = sizeof params;
    params.himl = handle_;
    params.i = index;
    params.hdcDst = dc;
    params.x = x;
    params.y = y;
    params.rgbBk = CLR_NONE;
    params.rgbFg = CLR_DEFAULT;
    params.fStyle = ILD_TRANSPARENT;
    params.fState = ILS_SATURATE;
    if (!ImageList_DrawIndirect(&params)) ImageList_DrawEx(handle_, index, dc, x, y, 0, 0, CLR_NONE, GetSysColor(COLOR_BTNSHADOW), ILD_BLEND50);
}

void TImageList::Changed()
{
    if (OnChange) OnChange(this);
}

}  // namespace quorvane
