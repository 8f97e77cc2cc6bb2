#include "XmlDocument.h"

#include <oleauto.h>

#include "Bstr.h"
#include "kx/error.h"
#include "kx/text.h"

namespace {

// MinGW's headers declare IXMLDOMDocument2 but neither its id nor MSXML 6's class id.
const IID kIXMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// A text for the parser, which wants real BSTRs; no memory for one is the
// document's error.
Bstr XmlText(const std::wstring &text)
{
    try {
        return Bstr(text);
    } catch (const std::bad_alloc &) {
        throw kx::Error("Недостаточно памяти для текста XML");
    }
}

std::string Hex(HRESULT hr)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

void Check(HRESULT hr, const char *what)
{
    if (FAILED(hr))
        throw kx::Error(std::string("Ошибка XML (") + what + "): " + Hex(hr));
}

ComPtr<IXMLDOMElement> AsElement(IXMLDOMNode *node)
{
    ComPtr<IXMLDOMElement> element;
    if (node)
        node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void **>(element.Put()));
    return element;
}

// The element children of a node, in document order, with a callback that
// returns true to stop.
template <class F>
void ForEachElement(IXMLDOMElement *parent, F &&visit)
{
    ComPtr<IXMLDOMNode> child;
    Check(parent->get_firstChild(child.Put()), "firstChild");
    while (child) {
        DOMNodeType type = NODE_INVALID;
        child->get_nodeType(&type);
        if (type == NODE_ELEMENT && visit(AsElement(child.Get())))
            return;
        ComPtr<IXMLDOMNode> next;
        Check(child->get_nextSibling(next.Put()), "nextSibling");
        child = next;
    }
}

// Whether the file declares a document type, in an 8-bit encoding or in
// UTF-16 of either byte order. MSXML 6 refuses these itself when DTDs are
// prohibited; Wine's ignores the property, so the file is looked at first.
bool DeclaresDocumentType(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;  // the parser says why it cannot read it
    std::string bytes;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        bytes.append(buffer, n);
    CloseHandle(file);
    const std::string marker = "<!DOCTYPE";
    std::string le, be;
    for (char c : marker) {
        le += c;
        le += '\0';
        be += '\0';
        be += c;
    }
    return bytes.find(marker) != std::string::npos || bytes.find(le) != std::string::npos ||
           bytes.find(be) != std::string::npos;
}

}  // namespace

// ---- TXmlElement ------------------------------------------------------------

TXmlElement::TXmlElement(IXMLDOMDocument2 *document, IXMLDOMElement *element) : document_(document), element_(element)
{
}

std::wstring TXmlElement::Name() const
{
    Bstr name;
    Check(element_->get_nodeName(name.Put()), "nodeName");
    return name.Str();
}

std::wstring TXmlElement::LocalName() const
{
    Bstr name;
    Check(element_->get_baseName(name.Put()), "baseName");
    return name.Str();
}

std::vector<TXmlElement> TXmlElement::Children() const
{
    std::vector<TXmlElement> children;
    ForEachElement(element_.Get(), [&](const ComPtr<IXMLDOMElement> &e) {
        children.emplace_back(document_.Get(), e.Get());
        return false;
    });
    return children;
}

int TXmlElement::ChildCount() const
{
    int count = 0;
    ForEachElement(element_.Get(), [&](const ComPtr<IXMLDOMElement> &) {
        ++count;
        return false;
    });
    return count;
}

TXmlElement TXmlElement::ChildAt(int index) const
{
    TXmlElement found;
    int i = 0;
    ForEachElement(element_.Get(), [&](const ComPtr<IXMLDOMElement> &e) {
        if (i++ != index)
            return false;
        found = TXmlElement(document_.Get(), e.Get());
        return true;
    });
    return found;
}

TXmlElement TXmlElement::Find(const std::wstring &name) const
{
    TXmlElement found;
    ForEachElement(element_.Get(), [&](const ComPtr<IXMLDOMElement> &e) {
        Bstr childName;
        Check(e->get_nodeName(childName.Put()), "nodeName");
        if (childName.Str() != name)
            return false;
        found = TXmlElement(document_.Get(), e.Get());
        return true;
    });
    return found;
}

std::optional<std::wstring> TXmlElement::ChildText(const std::wstring &name) const
{
    const TXmlElement child = Find(name);
    if (!child)
        return std::nullopt;
    std::wstring text = child.Text();
    if (text.empty())
        return std::nullopt;
    return text;
}

std::wstring TXmlElement::Text() const
{
    Bstr text;
    Check(element_->get_text(text.Put()), "text");
    return text.Str();
}

void TXmlElement::SetText(const std::wstring &text)
{
    Check(element_->put_text(XmlText(text).Get()), "text");
}

std::optional<std::wstring> TXmlElement::Attribute(const std::wstring &name) const
{
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = element_->getAttribute(XmlText(name).Get(), &value);
    Check(hr, "getAttribute");
    std::optional<std::wstring> out;
    if (hr == S_OK && value.vt == VT_BSTR)
        out = BstrText(value.bstrVal);
    VariantClear(&value);
    return out;
}

void TXmlElement::SetAttribute(const std::wstring &name, const std::wstring &value)
{
    const Bstr attribute = XmlText(name);
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = XmlText(value).Detach();  // VariantClear frees it
    const HRESULT hr = element_->setAttribute(attribute.Get(), v);
    VariantClear(&v);
    Check(hr, "setAttribute");
}

TXmlElement TXmlElement::Append(const std::wstring &name)
{
    Bstr uri;
    Check(element_->get_namespaceURI(uri.Put()), "namespaceURI");
    VARIANT type;
    type.vt = VT_I4;
    type.lVal = NODE_ELEMENT;
    ComPtr<IXMLDOMNode> node;
    Check(document_->createNode(type, XmlText(name).Get(), uri.Get(), node.Put()), "createNode");
    ComPtr<IXMLDOMNode> added;
    Check(element_->appendChild(node.Get(), added.Put()), "appendChild");
    return TXmlElement(document_.Get(), AsElement(added.Get()).Get());
}

void TXmlElement::AppendExisting(const TXmlElement &child)
{
    ComPtr<IXMLDOMNode> added;
    Check(element_->appendChild(child.element_.Get(), added.Put()), "appendChild");
}

void TXmlElement::Remove(const TXmlElement &child)
{
    ComPtr<IXMLDOMNode> removed;
    Check(element_->removeChild(child.element_.Get(), removed.Put()), "removeChild");
}

void TXmlElement::RemoveAllChildren()
{
    // Always the first, until none is left: text and comments go too.
    for (;;) {
        ComPtr<IXMLDOMNode> first;
        Check(element_->get_firstChild(first.Put()), "firstChild");
        if (!first)
            return;
        ComPtr<IXMLDOMNode> removed;
        Check(element_->removeChild(first.Get(), removed.Put()), "removeChild");
    }
}

TXmlElement TXmlElement::Clone() const
{
    ComPtr<IXMLDOMNode> copy;
    Check(element_->cloneNode(VARIANT_TRUE, copy.Put()), "cloneNode");
    return TXmlElement(document_.Get(), AsElement(copy.Get()).Get());
}

// ---- TXmlDocument -----------------------------------------------------------

TXmlDocument::TXmlDocument()
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument2,
                                reinterpret_cast<void **>(document_.Put()))) ||
        !document_)
        throw kx::Error("Не найден разборщик XML (MSXML 6)");
    Check(document_->put_async(VARIANT_FALSE), "async");
    Check(document_->put_validateOnParse(VARIANT_FALSE), "validateOnParse");
    Check(document_->put_resolveExternals(VARIANT_FALSE), "resolveExternals");
    Check(document_->put_preserveWhiteSpace(VARIANT_FALSE), "preserveWhiteSpace");
    VARIANT yes;
    yes.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    Check(document_->setProperty(XmlText(L"ProhibitDTD").Get(), yes), "ProhibitDTD");
}

void TXmlDocument::Load(const std::wstring &path)
{
    const std::string prohibited = "Файл " + kx::ToUtf8(path) +
                                   " не прочитан: определение типа документа (DOCTYPE) запрещено";
    if (DeclaresDocumentType(path))
        throw kx::Error(prohibited);
    VARIANT source;
    source.vt = VT_BSTR;
    source.bstrVal = XmlText(path).Detach();
    VARIANT_BOOL ok = VARIANT_FALSE;
    const HRESULT hr = document_->load(source, &ok);
    VariantClear(&source);
    if (SUCCEEDED(hr) && ok == VARIANT_TRUE) {
        ComPtr<IXMLDOMDocumentType> type;
        if (SUCCEEDED(document_->get_doctype(type.Put())) && type)
            throw kx::Error(prohibited);
        return;
    }
    // The parser's own words, and where it stopped.
    std::string message = "Файл " + kx::ToUtf8(path) + " не прочитан";
    ComPtr<IXMLDOMParseError> error;
    if (SUCCEEDED(document_->get_parseError(error.Put())) && error) {
        Bstr reason;
        long line = 0, column = 0;
        error->get_reason(reason.Put());
        error->get_line(&line);
        error->get_linepos(&column);
        std::wstring text = reason.Str();
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
            text.pop_back();
        if (!text.empty())
            message += ": " + kx::ToUtf8(text);
        if (line > 0)
            message += " (строка " + std::to_string(line) + ", позиция " + std::to_string(column) + ")";
    } else if (FAILED(hr)) {
        message += ": " + Hex(hr);
    }
    throw kx::Error(message);
}

void TXmlDocument::Create(const std::wstring &name, const std::wstring &uri)
{
    VARIANT_BOOL ok = VARIANT_FALSE;
    Check(document_->loadXML(XmlText(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?><" + name + L" xmlns=\"" + uri +
                                     L"\"/>")
                                 .Get(),
                             &ok),
          "loadXML");
    if (ok != VARIANT_TRUE)
        throw kx::Error("Ошибка XML: не создан документ " + kx::ToUtf8(name));
}

TXmlElement TXmlDocument::Root() const
{
    ComPtr<IXMLDOMElement> root;
    Check(document_->get_documentElement(root.Put()), "documentElement");
    return root ? TXmlElement(document_.Get(), root.Get()) : TXmlElement();
}

void TXmlDocument::Save(const std::wstring &path) const
{
    VARIANT target;
    target.vt = VT_BSTR;
    target.bstrVal = XmlText(path).Detach();
    const HRESULT hr = document_->save(target);
    VariantClear(&target);
    if (FAILED(hr))
        throw kx::Error("Файл " + kx::ToUtf8(path) + " не записан: " + Hex(hr));
}
