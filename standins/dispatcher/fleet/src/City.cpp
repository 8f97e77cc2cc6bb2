#include "City.h"

#include <cstring>
#include <limits>
#include <queue>
#include <stdexcept>

namespace kxfleet {

int City::Find(const char *name) const
{
    for (size_t i = 0; i < nodes.size(); ++i)
        if (std::strcmp(nodes[i].name, name) == 0) return static_cast<int>(i);
    throw std::logic_error(std::string("no junction ") + name);
}

const CityEdge *City::EdgeBetween(int a, int b) const
{
    for (const CityEdge &e : edges)
        if ((e.a == a && e.b == b) || (e.a == b && e.b == a)) return &e;
    return nullptr;
}

std::vector<int> City::Route(int from, int to) const
{
    const size_t n = nodes.size();
    std::vector<double> cost(n, std::numeric_limits<double>::infinity());
    std::vector<int> prev(n, -1);
    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    cost[from] = 0;
    open.push({0, from});
    while (!open.empty()) {
        auto [c, u] = open.top();
        open.pop();
        if (c > cost[u]) continue;
        for (const CityEdge &e : edges) {
            int v = -1;
            if (e.a == u) v = e.b;
            else if (e.b == u) v = e.a;
            if (v < 0) continue;
            // Each junction costs half a minute of lights and turns.
            const double t = DistanceMetres(nodes[u].pos, nodes[v].pos) / (e.cruiseKmh / 3.6) + 30;
            if (c + t < cost[v]) { cost[v] = c + t; prev[v] = u; open.push({cost[v], v}); }
        }
    }
    std::vector<int> path;
    for (int v = to; v >= 0; v = prev[v]) path.insert(path.begin(), v);
    if (path.empty() || path.front() != from) throw std::logic_error("junctions not connected");
    return path;
}

const City &Moscow()
{
    static const City city = [] {
        City c;
        c.nodes = {
            // Garden Ring, clockwise from Triumfalnaya Square.
            {"Triumfalnaya", {37.5955, 55.7699}},
            {"Samotechnaya", {37.6140, 55.7740}},
            {"Sukharevskaya", {37.6327, 55.7722}},
            {"KrasnyeVorota", {37.6490, 55.7685}},
            {"Kurskaya", {37.6580, 55.7575}},
            {"Taganskaya", {37.6535, 55.7415}},
            {"Paveletskaya", {37.6385, 55.7305}},
            {"Dobryninskaya", {37.6225, 55.7285}},
            {"Kaluzhskaya", {37.6115, 55.7300}},
            {"ParkKultury", {37.5935, 55.7355}},
            {"Smolenskaya", {37.5830, 55.7480}},
            {"Novinsky", {37.5835, 55.7525}},
            {"Kudrinskaya", {37.5830, 55.7590}},
            // Tverskaya and the centre.
            {"Pushkinskaya", {37.6055, 55.7650}},
            {"Manezhnaya", {37.6140, 55.7565}},
            {"Arbatskaya", {37.6015, 55.7520}},
            {"Lubyanka", {37.6275, 55.7595}},
            {"KitayGorod", {37.6335, 55.7545}},
            {"Yauzskaya", {37.6440, 55.7490}},
            {"Myasnitskaya", {37.6390, 55.7640}},
            // Leningradsky Prospekt.
            {"Belorussky", {37.5810, 55.7765}},
            {"LeningradskyTTK", {37.5690, 55.7830}},
            {"Dinamo", {37.5590, 55.7895}},
            {"Aeroport", {37.5330, 55.8000}},
            {"Sokol", {37.5150, 55.8050}},
            // Prospekt Mira.
            {"Rizhskaya", {37.6355, 55.7930}},
            {"Alexeevskaya", {37.6385, 55.8075}},
            {"VDNKh", {37.6405, 55.8205}},
            // Leninsky Prospekt and Vernadsky.
            {"Gagarina", {37.5850, 55.7065}},
            {"Leninsky60", {37.5630, 55.6960}},
            {"Vernadskogo", {37.5330, 55.6800}},
            // Bolshaya Tulskaya and Varshavskoye.
            {"Tulskaya", {37.6225, 55.7090}},
            {"Nagatinskaya", {37.6220, 55.6830}},
            // Novy Arbat and Kutuzovsky.
            {"NovoarbatskyBridge", {37.5740, 55.7505}},
            {"KutuzovskyTTK", {37.5440, 55.7425}},
            {"ParkPobedy", {37.5170, 55.7335}},
            // Third Ring.
            {"Savyolovskaya", {37.5880, 55.7935}},
            {"Lefortovo", {37.6850, 55.7700}},
            {"Entuziastov", {37.6950, 55.7520}},
            {"Avtozavodskaya", {37.6600, 55.7090}},
            {"Luzhniki", {37.5640, 55.7250}},
            {"Begovaya", {37.5650, 55.7780}},
        };
        auto E = [&](const char *a, const char *b, double kmh, bool fast) {
            c.edges.push_back({c.Find(a), c.Find(b), kmh, fast});
        };
        const char *ring[] = {"Triumfalnaya", "Samotechnaya", "Sukharevskaya", "KrasnyeVorota", "Kurskaya",
                              "Taganskaya", "Paveletskaya", "Dobryninskaya", "Kaluzhskaya", "ParkKultury",
                              "Smolenskaya", "Novinsky", "Kudrinskaya", "Triumfalnaya"};
        for (int i = 0; i + 1 < 14; ++i) E(ring[i], ring[i + 1], 55, false);
        E("Triumfalnaya", "Pushkinskaya", 45, false);
        E("Pushkinskaya", "Manezhnaya", 40, false);
        E("Manezhnaya", "Arbatskaya", 35, false);
        E("Manezhnaya", "Lubyanka", 35, false);
        E("Lubyanka", "KitayGorod", 35, false);
        E("KitayGorod", "Yauzskaya", 40, false);
        E("Yauzskaya", "Taganskaya", 40, false);
        E("Lubyanka", "Myasnitskaya", 35, false);
        E("Myasnitskaya", "KrasnyeVorota", 35, false);
        E("Arbatskaya", "Novinsky", 50, false);
        E("Novinsky", "NovoarbatskyBridge", 55, false);
        E("NovoarbatskyBridge", "KutuzovskyTTK", 65, true);
        E("KutuzovskyTTK", "ParkPobedy", 65, true);
        E("Triumfalnaya", "Belorussky", 50, false);
        E("Belorussky", "LeningradskyTTK", 60, true);
        E("LeningradskyTTK", "Dinamo", 65, true);
        E("Dinamo", "Aeroport", 65, true);
        E("Aeroport", "Sokol", 65, true);
        E("Sukharevskaya", "Rizhskaya", 55, false);
        E("Rizhskaya", "Alexeevskaya", 60, true);
        E("Alexeevskaya", "VDNKh", 60, true);
        E("Kaluzhskaya", "Gagarina", 60, true);
        E("Gagarina", "Leninsky60", 65, true);
        E("Leninsky60", "Vernadskogo", 60, false);
        E("Dobryninskaya", "Tulskaya", 55, false);
        E("Tulskaya", "Nagatinskaya", 65, true);
        // Third Ring, clockwise from Savyolovskaya.
        E("Savyolovskaya", "Rizhskaya", 70, true);
        E("Rizhskaya", "Lefortovo", 70, true);
        E("Lefortovo", "Entuziastov", 70, true);
        E("Entuziastov", "Avtozavodskaya", 70, true);
        E("Avtozavodskaya", "Tulskaya", 70, true);
        E("Tulskaya", "Gagarina", 70, true);
        E("Gagarina", "Luzhniki", 70, true);
        E("Luzhniki", "KutuzovskyTTK", 70, true);
        E("KutuzovskyTTK", "Begovaya", 70, true);
        E("Begovaya", "LeningradskyTTK", 60, true);
        E("LeningradskyTTK", "Savyolovskaya", 70, true);
        E("Kurskaya", "Lefortovo", 45, false);
        E("Taganskaya", "Entuziastov", 50, false);
        E("ParkKultury", "Luzhniki", 50, false);
        return c;
    }();
    return city;
}

}  // namespace kxfleet
