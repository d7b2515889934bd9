#pragma once
// Document templates with windows: a frame factory and a view factory make the child frame of a
// document inside the main frame. TMDIDocTemplate<Base> adds them to any core template class.
#include <functional>
#include <utility>

#include "framework/fwDocTemplate.h"

class QWidget;

namespace fw {

class CChildFrame;
class CDocument;

// Makes the frame of a document; pattern is the frame a "new window" command came from, or null.
using CFrameFactory = std::function<CChildFrame*(CDocument& doc, CChildFrame* pattern)>;
// Makes a view widget for a frame; a frame that makes its own views needs none.
using CViewFactory = std::function<QWidget*(CDocument& doc, CChildFrame& frame)>;

template <class TFrame> CFrameFactory MakeFrame() {
    return [](CDocument& doc, CChildFrame*) -> CChildFrame* { return new TFrame(&doc); };
}
template <class TView> CViewFactory MakeView() {
    return [](CDocument&, CChildFrame& frame) -> QWidget* { return new TView(&frame); };
}

// The window work of a template, apart from the template class it is added to.
class CFrameMaker {
public:
    CFrameMaker(CFrameFactory frame, CViewFactory view);

    // Makes a frame with its view for the document inside the main frame, hidden; null when there is
    // no main frame or the factory gave nothing.
    CChildFrame* CreateNewFrame(CDocument& doc, CChildFrame* pattern) const;
    // The views' initial update, then the frame is shown and activated when makeVisible is set.
    static void InitialUpdateFrame(CChildFrame* frame, CDocument& doc, bool makeVisible = true);
    // Initial update of the document's frames that have not had theirs.
    static void InitialUpdateNewFrames(CDocument& doc);
    // Closes every frame of the document, whichever template made it.
    static void DestroyFrames(CDocument& doc);
    static void ActivateFirstFrame(CDocument& doc);

private:
    CFrameFactory m_frame;
    CViewFactory m_view;
};

// A new frame of class TFrame with its views on the document, made like the document's other windows
// (pattern is the active frame), updated, shown and activated; null when there is no main frame. A
// frame whose initial update throws is closed and the exception passed on.
template <class TFrame> TFrame* OpenFrame(CDocument& doc, CChildFrame* pattern) {
    static const CFrameMaker maker(MakeFrame<TFrame>(), CViewFactory());
    auto* frame = static_cast<TFrame*>(maker.CreateNewFrame(doc, pattern));
    if (!frame)
        return nullptr;
    try {
        CFrameMaker::InitialUpdateFrame(frame, doc);
    } catch (...) {
        frame->DestroyFrame();
        throw;
    }
    return frame;
}

template <class TBase = CDocTemplate> class TMDIDocTemplate : public TBase {
public:
    // The arguments after the factories are those of the base template.
    template <class... TArgs>
    TMDIDocTemplate(CFrameFactory frame, CViewFactory view, TArgs&&... args)
        : TBase(std::forward<TArgs>(args)...), m_maker(std::move(frame), std::move(view)) {}

    // A further window on an open document (the "new view" commands); run InitialUpdateFrame after it.
    CChildFrame* CreateNewFrame(CDocument& doc, CChildFrame* pattern) const {
        return m_maker.CreateNewFrame(doc, pattern);
    }
    void InitialUpdateFrame(CChildFrame* frame, CDocument& doc, bool makeVisible = true) const {
        CFrameMaker::InitialUpdateFrame(frame, doc, makeVisible);
    }
    void ActivateFrame(CDocument& doc) override { CFrameMaker::ActivateFirstFrame(doc); }

protected:
    bool CreateFrame(CDocument& doc) override { return m_maker.CreateNewFrame(doc, nullptr) != nullptr; }
    void InitialUpdateFrame(CDocument& doc) override { CFrameMaker::InitialUpdateNewFrames(doc); }
    void DestroyFrame(CDocument& doc) override { CFrameMaker::DestroyFrames(doc); }

private:
    CFrameMaker m_maker;
};

} // namespace fw
