#include "PanelState.h"

TPanelState &PanelState()
{
    // Never destroyed: see the header.
    static TPanelState &state = *new TPanelState;
    return state;
}

void TPanelState::ClearForShutdown()
{
    // The track goes whole: its map points cannot outlive its numbers.
    Trip.Track = kx::Track();
    Trip.TrackIndex = kx::SegmentIndex();
    Checkpoints.Circles.clear();
    InfoPoints.Positions.clear();
    Player.MarkerPolygons.clear();
}
