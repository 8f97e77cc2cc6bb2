#include "ShapeCollection.h"

TShapeCollection::~TShapeCollection()
{
    Clear();
}

void TShapeCollection::Clear()
{
    TrackLines.clear();
    Checkpoints.clear();
    Vehicles.clear();
    InfoPointIcons.clear();
    Found.clear();
}

int TShapeCollection::SelectInRect(IMapRect *rect)
{
    Found.clear();
    kx::TShapeBounds query;
    if (rect) {
        rect->GetMinX(&query.MinX);
        rect->GetMinY(&query.MinY);
        rect->GetMaxX(&query.MaxX);
        rect->GetMaxY(&query.MaxY);
    }
    for (const TShapeList *list : {&InfoPointIcons, &TrackLines, &Checkpoints, &InfoPointIcons, &Vehicles})
        for (const TShapeRef &shape : *list)
            if (kx::RectsIntersect(shape->BoundingBox(), query)) Found.push_back(shape);
    return static_cast<int>(Found.size());
}

int TShapeCollection::SelectById(LONG id)
{
    Found.clear();
    for (const TShapeList *list : {&InfoPointIcons, &Vehicles, &TrackLines, &Checkpoints, &InfoPointIcons})
        for (const TShapeRef &shape : *list)
            if (shape->Id() == id) Found.push_back(shape);
    return static_cast<int>(Found.size());
}
