// A robustness run: several hundred files made from the default document by
// cutting, flipping bytes, dropping, doubling and swapping lines, extreme
// numbers, other encodings and document type declarations, each through the
// panel's real read and write. None may crash or hang; each operation either
// works or shows exactly one message, and the file changes only where a
// write succeeded or the default document replaced a file without categories
// (whose backup then holds the original bytes).
#include "SettingsTestSupport.h"
#include "TestSupport.h"

#include <chrono>
#include <iostream>
#include <random>

#include "XmlDocument.h"

#include "kx/error.h"
#include "kx/settings.h"
#include "kx/text.h"

using namespace settest;

namespace {

struct Mutant {
    std::string kind;
    std::string bytes;
};

std::vector<std::string> Lines(const std::string &doc)
{
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = doc.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(doc.substr(from, end + 2 - from));
    return lines;
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &l : lines)
        out += l;
    return out;
}

std::string CodePage(const std::string &utf8, UINT codePage)
{
    const std::wstring wide = kx::ToWide(utf8);
    const int n = WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::vector<Mutant> Mutants()
{
    const std::string doc = kx::DefaultSettingsDocument();
    const std::vector<std::string> lines = Lines(doc.substr(3));
    std::mt19937 random(20090206);
    auto below = [&](size_t n) { return static_cast<size_t>(random() % n); };
    std::vector<Mutant> out;

    for (int i = 0; i < 60; ++i)
        out.push_back({"cut short", doc.substr(0, below(doc.size()))});
    for (int i = 0; i < 60; ++i) {
        std::string bytes = doc;
        for (size_t flips = 1 + below(4); flips > 0; --flips)
            bytes[below(bytes.size())] = static_cast<char>(random() & 0xFF);
        out.push_back({"bytes flipped", bytes});
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> dropped = lines, doubled = lines;
        dropped.erase(dropped.begin() + static_cast<long>(i));
        doubled.insert(doubled.begin() + static_cast<long>(i), lines[i]);
        out.push_back({"line removed", "\xEF\xBB\xBF" + Joined(dropped)});
        out.push_back({"line doubled", "\xEF\xBB\xBF" + Joined(doubled)});
    }
    for (int i = 0; i < 30; ++i) {
        std::vector<std::string> swapped = lines;
        std::swap(swapped[1 + below(lines.size() - 1)], swapped[1 + below(lines.size() - 1)]);
        out.push_back({"lines reordered", "\xEF\xBB\xBF" + Joined(swapped)});
    }
    for (const char *element : {"LoadKT", "IconNum", "GroupID", "CarID", "Speed", "Stops", "Cont", "InfoPointsCount"})
        for (const char *value : {"2147483647", "2147483648", "-2147483648", "-1", "99999999999999999999", "-0", "+5",
                                  " 7 ", "1e3"})
            out.push_back({std::string("number in ") + element, DefaultWith(element, value)});

    const std::string body = doc.substr(doc.find("<AppSettings"));
    const std::string noBom = doc.substr(3);
    out.push_back({"UTF-16 declared UTF-8", Utf16Le(noBom, true)});
    out.push_back({"UTF-16 declared UTF-16", Utf16Le(Replaced(noBom, "UTF-8", "UTF-16"), true)});
    out.push_back({"UTF-16 without mark", Utf16Le(Replaced(noBom, "UTF-8", "UTF-16"), false)});
    out.push_back({"windows-1251 declared", CodePage(Replaced(noBom, "UTF-8", "windows-1251"), 1251)});
    out.push_back({"windows-1251 declared UTF-8", CodePage(noBom, 1251)});
    out.push_back({"UTF-8 declared ISO-8859-1", Replaced(noBom, "UTF-8", "ISO-8859-1")});
    out.push_back({"UTF-8 declared KOI8-R", Replaced(noBom, "UTF-8", "KOI8-R")});
    out.push_back({"unknown encoding", Replaced(noBom, "UTF-8", "x-unknown-42")});
    out.push_back({"two byte-order marks", "\xEF\xBB\xBF" + doc});
    out.push_back({"no declaration", "\xEF\xBB\xBF" + body});

    const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    for (const std::string &doctype :
         {std::string("<!DOCTYPE AppSettings>"), std::string("<!DOCTYPE AppSettings [<!ELEMENT AppSettings ANY>]>"),
          std::string("<!DOCTYPE AppSettings [<!ENTITY v \"true\">]>"),
          std::string("<!DOCTYPE AppSettings SYSTEM \"http://127.0.0.1:9/settings.dtd\">"),
          std::string("<!DOCTYPE AppSettings [<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>"),
          std::string("<!DOCTYPE AppSettings [<!ENTITY % p SYSTEM \"file:///C:/none.dtd\"> %p;]>"),
          std::string("<!DOCTYPE AppSettings [<!ENTITY a \"0123456789\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                      "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>")}) {
        out.push_back({"document type", decl + doctype + body});
        out.push_back({"document type with entity use", decl + doctype + Replaced(body, "<Cont>60", "<Cont>&v;&x;&f;")});
    }
    return out;
}

class SettingsRobustness : public PanelTest {};

TEST_F(SettingsRobustness, MutatedFilesNeverCrashHangOrLoseTheOriginal)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"KXSettings.xml"), backup = path + L".bak";
    PanelSeams().SettingsPath = [&] { return path; };
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ASSERT_NE(nullptr, form);

    const std::vector<Mutant> mutants = Mutants();
    ASSERT_GE(mutants.size(), 300u);
    int readOk = 0, readFailed = 0, replaced = 0, writeOk = 0, writeFailed = 0, notXml = 0, untouched = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (size_t i = 0; i < mutants.size(); ++i) {
        const Mutant &m = mutants[i];
        SCOPED_TRACE("file " + std::to_string(i) + ": " + m.kind);
        WriteBytes(path, m.bytes);
        DeleteFileW(backup.c_str());
        bool wellFormed = true;
        try {
            TXmlDocument probe;
            probe.Load(path);
        } catch (const kx::Error &) {
            wellFormed = false;
        }
        State() = TPanelState();

        messages.clear();
        form->ProcessSettings(0);
        const size_t readMessages = messages.size();
        EXPECT_LE(readMessages, 1u);
        const std::string afterRead = ReadBytes(path);
        const bool wasReplaced = Exists(backup);
        if (wasReplaced) {
            EXPECT_EQ(m.bytes, ReadBytes(backup));
            EXPECT_EQ(kx::DefaultSettingsDocument(), afterRead);
        } else {
            EXPECT_EQ(m.bytes, afterRead);
        }

        messages.clear();
        form->ProcessSettings(1);
        const size_t writeMessages = messages.size();
        EXPECT_LE(writeMessages, 1u);
        const std::string afterWrite = ReadBytes(path);
        if (writeMessages) {
            EXPECT_EQ(afterRead, afterWrite);
        } else {
            // What was written is a settings file again.
            TXmlDocument written;
            EXPECT_NO_THROW(written.Load(path));
            EXPECT_EQ(12, written.Root() ? written.Root().ChildAt(0).ChildCount() : -1);
        }
        if (!wellFormed) {
            ++notXml;
            EXPECT_EQ(1u, readMessages);
            EXPECT_EQ(1u, writeMessages);
            EXPECT_FALSE(wasReplaced);
        }
        EXPECT_FALSE(Exists(path + L".tmp"));
        for (const TShownMessage &shown : messages)
            EXPECT_EQ(L"", shown.caption);

        (readMessages ? readFailed : readOk)++;
        (writeMessages ? writeFailed : writeOk)++;
        replaced += wasReplaced;
        untouched += afterWrite == m.bytes;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::cout << "settings robustness: " << mutants.size() << " files in " << seconds << " s; not XML " << notXml
              << "; read ok " << readOk << ", read failed " << readFailed << " (one message each), replaced by the default "
              << replaced << "; write ok " << writeOk << ", write failed " << writeFailed << "; left byte-identical "
              << untouched << std::endl;
}

}  // namespace
