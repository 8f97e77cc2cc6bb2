#include "PanelState.h"

void TPanelState::ClearForShutdown()
{
    // The track goes whole: its map points cannot outlive its numbers.
    Trip.Track = kx::Track();
    Trip.TrackIndex = kx::SegmentIndex();
    Checkpoints.Circles.clear();
    InfoPoints.Categories.clear();
    Player.MarkerPolygons.clear();
}
