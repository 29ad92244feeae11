#pragma once
// How a model's view hears of its changes: in one reset, once control is back in the event
// loop, however many changes came before; and adding done in steps from the event loop, so a
// million nodes never hold it for long, the view being told of the finished tree.

#include <QObject>
#include <functional>

#include "app/SteppedJob.h"

namespace zelk {

class BatchedReset : public QObject {
  public:
    // begin and end are the model's beginResetModel and endResetModel.
    BatchedReset(QObject* model, std::function<void()> begin, std::function<void()> end);

    // A reset begins unless one has; its end is posted.
    void Begin();
    // A reset has begun and its end is posted: the view must not be shown the nodes.
    bool Changing() const { return changing_; }
    // The first step at once: a small tree is complete when the caller gets control back, and
    // an error of the first nodes reaches the caller. The nodes added before an error stay.
    void Defer(std::function<bool()> step);
    void Finish() const { deferred_.Finish(); }
    void Discard() { deferred_.Discard(); }
    bool Deferring() const { return deferred_.Pending(); }
    // Tells the view now of the changes made since the last time.
    void Flush();

  protected:
    void customEvent(QEvent* event) override;

  private:
    std::function<void()> begin_;
    std::function<void()> end_;
    bool changing_ = false;
    mutable SteppedJob deferred_;
};

}  // namespace zelk
