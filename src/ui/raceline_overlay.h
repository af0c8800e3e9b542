#pragma once

#include "core/raceline/raceline.h"
#include "core/raceline/source_edges.h"
#include "core/result.h"
#include "core/track/world_frame.h"

#include <QObject>
#include <QRectF>
#include <QString>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>

class QPainter;

namespace velmora {

struct Workspace;

// The race line shown over the canvas widget. It is worked out on the worker
// pool after each change of the track (its path, width, world frame or
// vehicle), one computation at a time: a track changed while one runs waits
// for it, and only the newest is then worked out. A result for a track that
// has changed since is dropped, so the line shown is always that of the
// track shown, or none while it is being worked out. The window's thread
// never waits for it.
class RacelineOverlay : public QObject {
public:
    // `changed` is called on the window's thread when what Paint draws changed.
    explicit RacelineOverlay(std::function<void()> changed);
    // Waits for a computation that runs: it holds this object.
    ~RacelineOverlay() override;

    bool Shown() const { return shown_; }
    // Shows or hides the line; shown, it follows the workspace's track at once.
    void SetShown(bool shown, const Workspace& ws);
    // Starts working out the line when the track differs from the last one
    // asked for; does nothing while hidden.
    void Follow(const Workspace& ws);
    // Draws the line onto a painter in canvas pixels, with its length and
    // lap time near its start and the legend of its speed colours at the
    // bottom-left, both inside `inView`, the part of the canvas the user
    // sees; with no line, what is going on (worked out, or why there is
    // none) at the top-left of that part.
    void Paint(QPainter& painter, const QRectF& inView) const;
    // Where Paint puts the label and the legend; empty while there is no line.
    QRectF LabelRect(const QRectF& inView) const;
    QRectF LegendRect(const QRectF& inView) const;

    // The line of the track last asked for, once worked out; none while it
    // is being worked out, hidden, or when the track has none.
    const std::optional<Raceline>& Line() const { return line_; }
    // Its length and lap time, or why there is none.
    const QString& Text() const { return text_; }
    // True while the line of the track last asked for is still to come.
    bool Waiting() const { return shownGeneration_ != generation_; }

private:
    struct Request {
        std::string path;
        double trackWidth = 0;
        WorldFrame frame;
        std::string vehicle;
        std::shared_ptr<const SourceEdges> sourceEdges;
        bool operator==(const Request& o) const
        {
            return path == o.path && trackWidth == o.trackWidth && frame.metresPerPixel == o.frame.metresPerPixel &&
                   frame.originX == o.frame.originX && frame.originY == o.frame.originY && vehicle == o.vehicle &&
                   sourceEdges == o.sourceEdges;
        }
    };

    void Launch(unsigned generation, const Request& request);
    void Arrived(unsigned generation, const Result<Raceline>& result);
    void Show(unsigned generation, std::optional<Raceline> line, QString text);

    std::function<void()> changed_;
    bool shown_ = false;
    unsigned generation_ = 0;      // of the newest request
    unsigned shownGeneration_ = 0; // of what Line() and Text() hold
    std::optional<Request> asked_; // the newest request
    std::optional<Request> next_;  // asked for while another one ran
    std::future<void> running_;
    std::optional<Raceline> line_;
    WorldFrame lineFrame_;
    QString text_;
};

} // namespace velmora
