// The street network of central Moscow used by the built-in fleet: named
// junctions and the streets between them, laid out by hand.
#pragma once

#include "kxfleet/Fleet.h"

#include <string>
#include <vector>

namespace kxfleet {

struct CityNode {
    const char *name;
    GeoPoint pos;
};

struct CityEdge {
    int a, b;
    double cruiseKmh;  // usual speed of traffic on the street
    bool fast;         // a through road where hurried drivers speed
};

struct City {
    std::vector<CityNode> nodes;
    std::vector<CityEdge> edges;

    int Find(const char *name) const;
    // Shortest-time route as node indices, from a to b inclusive.
    std::vector<int> Route(int a, int b) const;
    const CityEdge *EdgeBetween(int a, int b) const;
};

const City &Moscow();

}  // namespace kxfleet
