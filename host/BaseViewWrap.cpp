#include "BaseViewWrap.h"

TBaseView::TBaseView(IBaseViewThread *view) : view_(view)
{
    if (!view) return;
    view->Frame(frame_.Put());
    view->Factory(factory_.Put());
    if (frame_) frame_->Map(map_.Put());
}

TBaseView::~TBaseView()
{
    map_.Reset();
    factory_.Reset();
    frame_.Reset();
    view_.Reset();
}
