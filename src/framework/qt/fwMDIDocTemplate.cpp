#include "framework/qt/fwMDIDocTemplate.h"

#include <QPointer>

#include "framework/fwDocument.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwMDIFrame.h"

namespace fw {

CFrameMaker::CFrameMaker(CFrameFactory frame, CViewFactory view)
    : m_frame(std::move(frame)), m_view(std::move(view)) {}

CChildFrame* CFrameMaker::CreateNewFrame(CDocument& doc, CChildFrame* pattern) const {
    CMDIFrame* main = CMDIFrame::Get();
    if (!main || !m_frame)
        return nullptr;
    CChildFrame* frame = m_frame(doc, pattern);
    if (!frame)
        return nullptr;
    if (m_view)
        frame->AddView(m_view(doc, *frame));
    // Added with its view, the frame takes the view's size.
    main->AddChild(frame);
    return frame;
}

void CFrameMaker::InitialUpdateFrame(CChildFrame* frame, CDocument& doc, bool makeVisible) {
    if (!frame)
        return;
    QPointer<CChildFrame> guard(frame);
    frame->SetInitialUpdateDone();
    for (QWidget* widget : frame->GetViewWidgets())
        if (auto* view = dynamic_cast<CView*>(widget))
            view->OnInitialUpdate();
    // An initial update may fail and close the window again.
    if (!guard)
        return;
    if (makeVisible)
        frame->ActivateFrame();
    for (CChildFrame* shown : CChildFrame::FramesOf(doc))
        shown->OnUpdateFrameTitle();
}

void CFrameMaker::InitialUpdateNewFrames(CDocument& doc) {
    for (CChildFrame* frame : CChildFrame::FramesOf(doc))
        if (!frame->IsInitialUpdateDone())
            InitialUpdateFrame(frame, doc);
}

void CFrameMaker::DestroyFrames(CDocument& doc) {
    for (CChildFrame* frame : CChildFrame::FramesOf(doc))
        frame->DestroyFrame();
}

void CFrameMaker::ActivateFirstFrame(CDocument& doc) {
    const std::vector<CChildFrame*> frames = CChildFrame::FramesOf(doc);
    if (!frames.empty())
        frames.front()->ActivateFrame();
}

} // namespace fw
