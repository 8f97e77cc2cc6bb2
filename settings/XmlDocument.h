// A small wrapper of the platform's XML DOM (MSXML 6, created by its ProgID):
// load, navigate, edit and save a document. Documents load with DTDs
// prohibited, no external entity resolved and no validation, so a file can
// neither pull in other files nor expand entities.
//
// Ownership: whoever constructs a TXmlDocument owns it and the COM document
// inside; a TXmlElement holds a counted reference to one element of it and
// stays usable as long as it lives. Failures throw kx::Error with a UTF-8
// text meant for the user. Call on a thread with COM initialised.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <optional>
#include <string>
#include <vector>

#include "ComPtr.h"

class TXmlElement {
public:
    TXmlElement() = default;
    TXmlElement(IXMLDOMDocument2 *document, IXMLDOMElement *element);

    explicit operator bool() const { return static_cast<bool>(element_); }
    std::wstring Name() const;
    std::wstring LocalName() const;  // the name without its namespace prefix

    // Only element children count: whitespace, comments and processing
    // instructions between them play no part.
    int ChildCount() const;
    TXmlElement ChildAt(int index) const;  // empty when out of range
    // All element children in one walk, for long lists (ChildAt walks from
    // the first each time).
    std::vector<TXmlElement> Children() const;
    TXmlElement Find(const std::wstring &name) const;  // first child of that name, or empty
    // The text of the named child; nothing when it is missing or its text is empty.
    std::optional<std::wstring> ChildText(const std::wstring &name) const;

    std::wstring Text() const;
    void SetText(const std::wstring &text);
    std::optional<std::wstring> Attribute(const std::wstring &name) const;
    void SetAttribute(const std::wstring &name, const std::wstring &value);

    // A new last child in this element's namespace.
    TXmlElement Append(const std::wstring &name);
    // Moves `child` (of this document) to the end of this element.
    void AppendExisting(const TXmlElement &child);
    void Remove(const TXmlElement &child);
    void RemoveAllChildren();
    // A deep copy, not yet placed anywhere.
    TXmlElement Clone() const;

private:
    ComPtr<IXMLDOMDocument2> document_;
    ComPtr<IXMLDOMElement> element_;
};

class TXmlDocument {
public:
    // Creates the platform's document object; throws when MSXML 6 is absent.
    TXmlDocument();

    // Replaces the content with the file's; throws with the parser's message
    // (and where it stopped) when the file cannot be read or is not
    // well-formed XML.
    void Load(const std::wstring &path);
    // Replaces the content with a UTF-8 declaration and an empty root
    // element `name` in the namespace `uri`; its Append'ed children take
    // the same namespace.
    void Create(const std::wstring &name, const std::wstring &uri);
    TXmlElement Root() const;  // the document element, or empty
    // Writes the document in the encoding its declaration names.
    void Save(const std::wstring &path) const;

private:
    ComPtr<IXMLDOMDocument2> document_;
};
