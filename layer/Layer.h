// TLayer: the plug-in's own layer on the shell's map. It describes itself,
// answers the shell's queries and walks their results for the shell; the
// layer object is its own cursor.
#pragma once

#include "ShapeCollection.h"

#include <functional>
#include <memory>

struct TPanelState;

class TLayer final : public IShapeCursor,
               public IShapeSource,
               public IShapeLayer,
               public IPositionCode,
               public IDisplayInfo {
public:
    // Joins the map's layer collection; when the shell refuses, the layer
    // counts as not registered and never asks to be removed. `state` is
    // what BuildShapes draws from: the plug-in's, shared with its panels.
    TLayer(const TBaseView *view, std::shared_ptr<const TPanelState> state);

    // Leaves the map (if registered) and drops the cached icon. The caller
    // holds a reference: the collection's release is then never the last.
    void Detach();
    bool Registered() const { return static_cast<bool>(layers_); }

    TShapeCollection &Shapes() { return shapes_; }

    // Build modes: which category of shapes BuildShapes makes from the
    // panel state it was given. Other values do nothing.
    enum BuildMode {
        BuildTrack = 1,         // the track line (empties TrackLines and Vehicles)
        BuildVehicleMarker = 2, // the moving marker's two polygons (empties Vehicles)
        BuildInfoPoints = 3,    // info point icons (empties InfoPointIcons)
        BuildCheckpoints = 4,   // checkpoint circles (empties Checkpoints)
        BuildLastPoint = 5,     // one vehicle's last known point, appended to Vehicles
    };
    // Rebuilds one category from the panel state. Entries the state lacks
    // (an index past the end of its arrays, a marker without its polygons,
    // a track without points) are skipped rather than read.
    void BuildShapes(int mode);

    // The player's jump to the track point under the mouse, called when the
    // shell asks for the title of a track line shape (the mouse rests on the
    // track). Bound by the panel attached last; whatever it throws stays on
    // this side of the shell's call.
    std::function<void(double x, double y)> JumpToTrackPoint;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IShapeCursor
    STDMETHODIMP Next(IShapeSink *sink, VARIANT_BOOL *more) override;
    STDMETHODIMP Title(BSTR *title) override;
    STDMETHODIMP Hint(BSTR *hint) override;
    STDMETHODIMP LabelPoint(IMapPoint **point) override;
    STDMETHODIMP TextSymbol(ITextSymbol **symbol) override;
    STDMETHODIMP SymbolAs1(ILineSymbol **symbol) override;
    STDMETHODIMP SymbolAs2(IPolygonSymbol **symbol) override;
    STDMETHODIMP SymbolAs3(IRasterSymbol **symbol) override;

    // IShapeSource
    STDMETHODIMP ShownAtLevel(LONG level, LONG mode, VARIANT_BOOL *shown) override;
    STDMETHODIMP FlagOne(VARIANT_BOOL *flag) override;
    STDMETHODIMP FlagTwo(VARIANT_BOOL *flag) override;
    STDMETHODIMP Unsupported(LONG argument) override;
    STDMETHODIMP SelectInRect(IMapRect *rect, IShapeCursor **cursor) override;
    STDMETHODIMP SelectById(LONG id, IShapeCursor **cursor) override;

    // IShapeLayer
    STDMETHODIMP GetVisible(VARIANT_BOOL *visible) override;
    STDMETHODIMP PutVisible(VARIANT_BOOL visible) override;
    STDMETHODIMP AcceptsMode(LONG a, LONG b, VARIANT_BOOL *accepts) override;

    // IPositionCode
    STDMETHODIMP PositionCode(BSTR *code) override;

    // IDisplayInfo
    STDMETHODIMP Tag(BSTR *tag) override;
    STDMETHODIMP Caption(BSTR *caption) override;
    STDMETHODIMP Description(BSTR *description) override;
    STDMETHODIMP Icon(IRaster **icon) override;

    // An icon resource of the plug-in module turned into a shell raster, or
    // null when the module has no such resource.
    ComPtr<IRaster> LoadIconRaster(const wchar_t *name, const wchar_t *type) const;

private:
    ~TLayer();

    HRESULT HandOutCursor(int found, IShapeCursor **cursor);

    // Makes one shape with the next number and appends it to the list; the
    // points are copied, or shared when given as a shared array.
    void AddShape(TShapeList &list, LONG kind, const kx::TMapPointArray &points,
                  const std::wstring &name, const std::wstring &text,
                  std::optional<kx::TMapPoint> labelPosition, LONG textColour, ISymbol *symbol);
    void AddShape(TShapeList &list, LONG kind, std::shared_ptr<const kx::TMapPointArray> points,
                  const std::wstring &name, const std::wstring &text,
                  std::optional<kx::TMapPoint> labelPosition, LONG textColour, ISymbol *symbol);
    void MakeTrackLines();
    void MakeVehicleMarker();
    void MakeInfoPointIcons();
    void MakeCheckpoints();
    void MakeLastPoint();
    template <class T>
    HRESULT CurrentSymbolAs(REFIID iid, T **symbol);
    // The map point under the mouse cursor.
    ComPtr<IMapPoint> CursorMapPoint() const;

    LONG refs_ = 0;
    LONG shapeCounter_ = 0; // Id of the next shape; never reset
    ComPtr<IRaster> icon_;
    ComPtr<ILayerCollection> layers_;
    int cursorIndex_ = 0;
    TShapeRef current_;
    VARIANT_BOOL visible_ = VARIANT_TRUE;
    TShapeCollection shapes_;
    const TBaseView *view_;
    std::shared_ptr<const TPanelState> state_;
};
