#include "ui/raceline_overlay.h"

#include "core/raceline/raceline_csv.h"
#include "core/raceline/track_raceline.h"
#include "core/raceline/vehicle.h"
#include "inputs/vehicle_choice.h"
#include "render/raceline_layer.h"
#include "render/worker_pool.h"
#include "ui/workspace.h"

#include <QPainter>
#include <utility>

namespace velmora {

namespace {

Result<Raceline> Compute(const std::string& path, double trackWidth, const WorldFrame& frame,
                         const std::string& vehicleName, const SourceEdges* sourceEdges)
{
    // Anything thrown is a failure shown as such, never a line that is
    // "working out" for the rest of the session.
    return Guarded([&]() -> Result<Raceline> {
        // A shipped car, or the vehicle file a track's frame file names.
        const Result<NamedVehicle> car = LoadVehicle(vehicleName);
        if (!car)
            return Fail(car.error());
        return RacelineOfTrack(path, trackWidth, frame, car->vehicle, sourceEdges);
    });
}

} // namespace

RacelineOverlay::RacelineOverlay(std::function<void()> changed) : changed_(std::move(changed)) {}

RacelineOverlay::~RacelineOverlay()
{
    if (running_.valid())
        running_.wait();
}

void RacelineOverlay::SetShown(bool shown, const Workspace& ws)
{
    shown_ = shown;
    if (!shown) {
        // Forgotten, so that showing it again works the line out afresh;
        // a computation that runs is dropped when it arrives.
        asked_.reset();
        next_.reset();
        Show(++generation_, std::nullopt, {});
        return;
    }
    Follow(ws);
}

void RacelineOverlay::Follow(const Workspace& ws)
{
    if (!shown_)
        return;
    Request request{ws.editor.model.TrackPath, ws.settings.TrackWidth, ws.frame.value_or(WorldFrame{}), ws.vehicle,
                    CircuitEdgesNow(ws)};
    if (asked_ && *asked_ == request)
        return;
    asked_ = request;
    const unsigned generation = ++generation_;
    // The old track's line no longer fits it.
    line_.reset();
    text_ = "working out the race line \u2026";
    changed_();
    if (request.path.empty()) {
        Show(generation, std::nullopt, {});
        return;
    }
    if (running_.valid())
        next_ = std::move(request);
    else
        Launch(generation, request);
}

void RacelineOverlay::Launch(unsigned generation, const Request& request)
{
    running_ = StartTask([this, generation, request] {
        Result<Raceline> result =
            Compute(request.path, request.trackWidth, request.frame, request.vehicle, request.sourceEdges.get());
        QMetaObject::invokeMethod(
            this, [this, generation, result = std::move(result)] { Arrived(generation, result); },
            Qt::QueuedConnection);
    });
}

void RacelineOverlay::Arrived(unsigned generation, const Result<Raceline>& result)
{
    running_.get();
    if (generation == generation_ && asked_) {
        lineFrame_ = asked_->frame;
        if (result) {
            QString text = QString::fromStdString(
                RacelineSummary(result->length, result->lapTime, result->closed) + " with " + asked_->vehicle);
            if (!result->converged)
                text += " (" + QString::fromStdString(result->note) + ")";
            Show(generation, *result, text);
        } else {
            Show(generation, std::nullopt, "no race line: " + QString::fromStdString(result.error()));
        }
    }
    if (next_) {
        const Request request = std::move(*next_);
        next_.reset();
        Launch(generation_, request);
    }
}

void RacelineOverlay::Show(unsigned generation, std::optional<Raceline> line, QString text)
{
    shownGeneration_ = generation;
    line_ = std::move(line);
    text_ = std::move(text);
    changed_();
}

void RacelineOverlay::Paint(QPainter& painter, const QRectF& inView) const
{
    if (!shown_)
        return;
    if (!line_) {
        DrawRacelineNote(painter, inView.topLeft() + QPointF(8, 8), text_);
        return;
    }
    DrawRaceline(painter, *line_, lineFrame_);
    if (line_->rows.empty())
        return;
    const SpeedRange speeds = SpeedsOf(*line_);
    DrawSpeedLegendAt(painter, speeds.slowest, speeds.fastest, 1, LegendRect(inView).topLeft());
    DrawRacelineNote(painter, LabelRect(inView).topLeft(), text_);
}

QRectF RacelineOverlay::LegendRect(const QRectF& inView) const
{
    if (!line_ || line_->rows.empty())
        return {};
    return SpeedLegendRect(inView);
}

QRectF RacelineOverlay::LabelRect(const QRectF& inView) const
{
    if (!line_ || line_->rows.empty())
        return {};
    return RacelineLabelRect(inView, RacelineStart(*line_, lineFrame_), RacelineNoteSize(text_),
                             LegendRect(inView));
}

} // namespace velmora
