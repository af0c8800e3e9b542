#include "ui/map_import_choice.h"

#include <cmath>
#include <numbers>
#include <regex>

namespace velmora {

MapTrackOptions TrackOptions(const MapImportChoice& choice)
{
    MapTrackOptions o;
    o.startGiven = choice.startGiven;
    o.startX = choice.startX;
    o.startY = choice.startY;
    o.reverse = choice.direction == MapImportChoice::Direction::Clockwise;
    o.yawGiven = choice.direction == MapImportChoice::Direction::StartHeading;
    o.startYaw = choice.headingDegrees * std::numbers::pi / 180;
    o.closeGaps = choice.closeGaps;
    o.minObstacle = choice.minObstacle;
    return o;
}

MapImportChoice ChoiceForMap(const MapImportChoice& last, const QString& lastPath, const QString& path)
{
    MapImportChoice choice = last;
    if (lastPath != path) {
        choice.startGiven = false;
        choice.startX = choice.startY = 0;
    }
    return choice;
}

std::string InEditorWords(std::string message)
{
    // Whole phrases first, so the sentence still reads; then any option
    // name left over.
    struct Phrase {
        const char* option;
        const char* words;
    };
    static const Phrase kPhrases[] = {
        {R"(--close-gaps ([0-9.]+) closes it)", "closing wall gaps up to $1 m closes it"},
        {R"(--min-obstacle ([0-9.]+) ignores it)", "ignoring obstacles smaller than $1 m ignores it"},
        {R"(--close-gaps M closes gaps up to M metres wide)", "closing wall gaps up to its width closes it"},
        {R"(give the track's start with --start X,Y(,YAW)?)", "click the track's start on the map"},
        {R"(--close-gaps ([0-9.]+))", "closing wall gaps up to $1 m"},
        {R"(--min-obstacle ([0-9.]+))", "ignoring obstacles smaller than $1 m"},
        {R"(--close-gaps( M)?)", "closing wall gaps"},
        {R"(--min-obstacle( M)?)", "ignoring small obstacles"},
        {R"(--start( X,Y(,YAW)?)?)", "the start"},
        {R"(--reverse)", "the other direction"},
    };
    for (const Phrase& p : kPhrases)
        message = std::regex_replace(message, std::regex(p.option), p.words);
    return message;
}

} // namespace velmora
