#include "ShapeWalker.h"

#include "Bstr.h"
#include "ComPtr.h"
#include "ShapeSink.h"

namespace kxshell {
namespace {

std::wstring TakeBstr(BSTR text) { return Bstr::Adopt(text).Str(); }

template <class I>
SymbolDescription TakeSymbol(I *symbol) {
    SymbolDescription d = DescribeSymbol(symbol);
    if (symbol) symbol->Release();
    return d;
}

}  // namespace

WalkResult ShapeWalker::Walk(IShapeSource *source, const RectValues &rect, const WalkOptions &options) const {
    WalkResult result;
    if (!source) {
        result.selectResult = E_INVALIDARG;
        return result;
    }
    ComPtr<IMapRect> area(new MapRect(registry_, rect));
    IShapeCursor *cursor = nullptr;
    const HRESULT hr = source->SelectInRect(area.Get(), &cursor);
    return WalkCursor(hr, cursor, options);
}

WalkResult ShapeWalker::WalkById(IShapeSource *source, long id, const WalkOptions &options) const {
    WalkResult result;
    if (!source) {
        result.selectResult = E_INVALIDARG;
        return result;
    }
    IShapeCursor *cursor = nullptr;
    const HRESULT hr = source->SelectById(id, &cursor);
    return WalkCursor(hr, cursor, options);
}

WalkResult ShapeWalker::WalkCursor(HRESULT selectResult, IShapeCursor *rawCursor, const WalkOptions &options) const {
    WalkResult result;
    result.selectResult = selectResult;
    ComPtr<IShapeCursor> cursor = ComPtr<IShapeCursor>::Adopt(rawCursor);
    if (FAILED(selectResult)) {
        if (cursor) result.problems.push_back("a failed selection handed out a cursor");
        return result;
    }
    if (!cursor) {
        if (selectResult == S_OK) result.problems.push_back("selection answered S_OK without a cursor");
        return result;
    }
    ComPtr<ShapeSink> sink(new ShapeSink(registry_));
    sink->SetReducer(options.reducer);
    sink->SetSpare(options.spare);
    for (;;) {
        if (result.shapes.size() >= options.maxShapes) {
            result.problems.push_back("cursor did not end after " + std::to_string(options.maxShapes) + " shapes");
            break;
        }
        sink->Reset();
        VARIANT_BOOL more = VARIANT_FALSE;
        const HRESULT next = cursor->Next(sink.Get(), &more);
        if (FAILED(next)) {
            result.problems.push_back("Next failed with " + FormatHex(static_cast<unsigned long>(next)));
            break;
        }
        if (!more) break;
        const std::string at = "shape " + std::to_string(result.shapes.size());
        WalkedShape shape;
        if (!sink->HasId()) result.problems.push_back(at + ": no SetId");
        if (!sink->HasGeometry()) result.problems.push_back(at + ": no SetGeometry");
        else if (!sink->GeometryProblem().empty()) result.problems.push_back(at + ": " + sink->GeometryProblem());
        shape.id = sink->Id();
        shape.kind = sink->Kind();
        static_cast<ShapeGeometry &>(shape) = std::move(sink->Geometry());

        if (options.askTitle) {
            BSTR title = nullptr;
            shape.titleResult = cursor->Title(&title);
            shape.title = TakeBstr(title);
        }
        BSTR hint = nullptr;
        shape.hintResult = cursor->Hint(&hint);
        shape.hint = TakeBstr(hint);

        IMapPoint *label = nullptr;
        if (SUCCEEDED(cursor->LabelPoint(&label)) && label) {
            shape.hasLabel = SUCCEEDED(label->GetX(&shape.labelX)) && SUCCEEDED(label->GetY(&shape.labelY));
            label->Release();
        }
        ITextSymbol *text = nullptr;
        if (SUCCEEDED(cursor->TextSymbol(&text))) shape.textSymbol = TakeSymbol(text);
        else if (text) text->Release();

        switch (shape.kind) {
        case kShapeLine: {
            ILineSymbol *symbol = nullptr;
            shape.symbolResult = cursor->SymbolAs1(&symbol);
            shape.symbol = TakeSymbol(symbol);
            break;
        }
        case kShapePolygon: {
            IPolygonSymbol *symbol = nullptr;
            shape.symbolResult = cursor->SymbolAs2(&symbol);
            shape.symbol = TakeSymbol(symbol);
            break;
        }
        case kShapeIcon: {
            IRasterSymbol *symbol = nullptr;
            shape.symbolResult = cursor->SymbolAs3(&symbol);
            shape.symbol = TakeSymbol(symbol);
            break;
        }
        default:
            break;
        }
        result.shapes.push_back(std::move(shape));
    }
    return result;
}

}  // namespace kxshell
