// The XMP date finder: a small, strict reader of the packet's markup. It follows tags,
// comments, processing instructions and CDATA sections, keeps the namespace declarations in
// force at each element, and takes a property's text only where it is plain text (no markup
// inside, no entity), so a rewrite of its digits never changes the packet's structure.
#include "exif/Uxmp.h"

#include "tx/UTxDiskApi.h"
#include "tx/UTxUtils.h"

#include <string>
#include <string_view>

namespace exif {

namespace {

struct DateProperty {
    std::string_view uri, local;
    const char* pszName;
    int nDate;
};

const DateProperty kProperties[] = {
    {"http://ns.adobe.com/xap/1.0/", "ModifyDate", "xmp:ModifyDate", 0},
    {"http://ns.adobe.com/tiff/1.0/", "DateTime", "tiff:DateTime", 0},
    {"http://ns.adobe.com/exif/1.0/", "DateTimeOriginal", "exif:DateTimeOriginal", 1},
    {"http://ns.adobe.com/photoshop/1.0/", "DateCreated", "photoshop:DateCreated", 1},
    {"http://ns.adobe.com/xap/1.0/", "CreateDate", "xmp:CreateDate", 2},
    {"http://ns.adobe.com/exif/1.0/", "DateTimeDigitized", "exif:DateTimeDigitized", 2},
};

// More declarations than this in one packet: it is not taken for a sound one.
constexpr std::size_t kMaxDeclarations = 512;  // real packets declare a few dozen

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool EndsName(char c) { return IsSpace(c) || c == '/' || c == '>' || c == '=' || c == '<'; }

class XmpReader {
public:
    XmpReader(std::string_view s, std::uint64_t qwFileOffset, const char* pszWhere, std::vector<TextDateCopy>& out)
        : m_s(s), m_qwFileOffset(qwFileOffset), m_pszWhere(pszWhere), m_out(out) {}

    // True when the whole packet was read and every element closed.
    bool Read()
    {
        std::size_t i = 0;
        bool bAny = false;
        for (;;) {
            const std::size_t lt = m_s.find('<', i);
            if (lt == std::string_view::npos)
                return bAny && m_open.empty();
            const std::string_view rest = m_s.substr(lt);
            std::size_t end = std::string_view::npos;
            if (rest.starts_with("<?"))
                end = Skip(lt, "?>");
            else if (rest.starts_with("<!--"))
                end = Skip(lt, "-->");
            else if (rest.starts_with("<![CDATA["))
                end = Skip(lt, "]]>");
            else if (rest.starts_with("<!"))
                end = Skip(lt, ">");
            else if (rest.starts_with("</"))
                end = EndTag(lt);
            else {
                end = StartTag(lt);
                bAny = true;
            }
            if (end == std::string_view::npos)
                return false;
            i = end;
        }
    }

private:
    struct Declaration {
        std::string_view prefix, uri;
        std::size_t nDepth;
    };
    struct Attribute {
        std::string_view name;
        std::size_t nValue, nLength;
    };

    std::size_t Skip(std::size_t nFrom, std::string_view close) const
    {
        const std::size_t n = m_s.find(close, nFrom + 2);
        return n == std::string_view::npos ? n : n + close.size();
    }

    std::size_t NameEnd(std::size_t n) const
    {
        while (n < m_s.size() && !EndsName(m_s[n]))
            ++n;
        return n;
    }

    std::size_t SkipSpace(std::size_t n) const
    {
        while (n < m_s.size() && IsSpace(m_s[n]))
            ++n;
        return n;
    }

    // The namespace of a qualified name, from the declarations in force; bElement: an element's
    // name without a prefix takes the default namespace, an attribute's takes none.
    std::string_view NamespaceOf(std::string_view name, bool bElement, std::string_view& local) const
    {
        const std::size_t colon = name.find(':');
        const std::string_view prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
        local = colon == std::string_view::npos ? name : name.substr(colon + 1);
        if (prefix.empty() && !bElement)
            return {};
        for (auto it = m_declarations.rbegin(); it != m_declarations.rend(); ++it)
            if (it->prefix == prefix)
                return it->uri;
        return {};
    }

    // The namespace is looked up only for a name whose local part is one of ours.
    const DateProperty* PropertyOf(std::string_view name, bool bElement) const
    {
        const std::size_t colon = name.find(':');
        const std::string_view tail = colon == std::string_view::npos ? name : name.substr(colon + 1);
        bool bOurs = false;
        for (const DateProperty& p : kProperties)
            bOurs = bOurs || p.local == tail;
        if (!bOurs)
            return nullptr;
        std::string_view local;
        const std::string_view uri = NamespaceOf(name, bElement, local);
        for (const DateProperty& p : kProperties)
            if (!uri.empty() && p.uri == uri && p.local == local)
                return &p;
        return nullptr;
    }

    void Found(const DateProperty& property, std::size_t nValue, std::size_t nLength)
    {
        while (nLength > 0 && IsSpace(m_s[nValue]))
            ++nValue, --nLength;
        while (nLength > 0 && IsSpace(m_s[nValue + nLength - 1]))
            --nLength;
        TextDateCopy copy;
        copy.nDate = property.nDate;
        copy.strWhere = m_pszWhere;
        copy.strName = property.pszName;
        TextDatePart part;
        part.qwFilePos = m_qwFileOffset + nValue;
        part.strOld.assign(m_s.substr(nValue, nLength));
        if (!ReadXmpDate(part.strOld, part.digits))
            copy.eRefused = ExifWriteResult::NotDateText;
        copy.parts.push_back(std::move(part));
        m_out.push_back(std::move(copy));
    }

    std::size_t EndTag(std::size_t lt)
    {
        const std::size_t nName = lt + 2, nNameEnd = NameEnd(nName);
        const std::size_t gt = SkipSpace(nNameEnd);
        if (gt >= m_s.size() || m_s[gt] != '>' || m_open.empty() || m_open.back() != m_s.substr(nName, nNameEnd - nName))
            return std::string_view::npos;
        m_open.pop_back();
        while (!m_declarations.empty() && m_declarations.back().nDepth > m_open.size())
            m_declarations.pop_back();
        return gt + 1;
    }

    std::size_t StartTag(std::size_t lt)
    {
        const std::size_t nName = lt + 1, nNameEnd = NameEnd(nName);
        if (nNameEnd == nName)
            return std::string_view::npos;
        std::vector<Attribute> attributes;
        std::size_t n = nNameEnd;
        bool bEmpty = false;
        for (;;) {
            n = SkipSpace(n);
            if (n >= m_s.size())
                return std::string_view::npos;
            if (m_s[n] == '>')
                break;
            if (m_s[n] == '/') {
                if (n + 1 >= m_s.size() || m_s[n + 1] != '>')
                    return std::string_view::npos;
                bEmpty = true;
                ++n;
                break;
            }
            const std::size_t nAttr = n, nAttrEnd = NameEnd(n);
            n = SkipSpace(nAttrEnd);
            if (nAttrEnd == nAttr || n >= m_s.size() || m_s[n] != '=')
                return std::string_view::npos;
            n = SkipSpace(n + 1);
            if (n >= m_s.size() || (m_s[n] != '"' && m_s[n] != '\''))
                return std::string_view::npos;
            const std::size_t close = m_s.find(m_s[n], n + 1);
            if (close == std::string_view::npos || m_s.substr(n + 1, close - n - 1).find('<') != std::string_view::npos)
                return std::string_view::npos;
            attributes.push_back({m_s.substr(nAttr, nAttrEnd - nAttr), n + 1, close - n - 1});
            n = close + 1;
        }
        const std::size_t nDepth = m_open.size() + 1;
        for (const Attribute& a : attributes) {
            if (a.name == "xmlns" || a.name.starts_with("xmlns:")) {
                if (m_declarations.size() >= kMaxDeclarations)
                    return std::string_view::npos;
                const std::string_view prefix = a.name.size() > 6 ? a.name.substr(6) : std::string_view();
                m_declarations.push_back({prefix, m_s.substr(a.nValue, a.nLength), nDepth});
            }
        }
        for (const Attribute& a : attributes)
            if (const DateProperty* p = PropertyOf(a.name, false))
                Found(*p, a.nValue, a.nLength);
        const std::string_view name = m_s.substr(nName, nNameEnd - nName);
        if (bEmpty) {
            while (!m_declarations.empty() && m_declarations.back().nDepth >= nDepth)
                m_declarations.pop_back();
            return n + 1;
        }
        if (const DateProperty* p = PropertyOf(name, true)) {
            // Plain text up to this element's own end tag; anything else (a nested structure)
            // is not a date text of this form.
            const std::size_t nText = n + 1, nNext = m_s.find('<', nText);
            if (nNext != std::string_view::npos && m_s.substr(nNext).starts_with("</") &&
                m_s.substr(nNext + 2).starts_with(name) && nNext + 2 + name.size() < m_s.size() &&
                EndsName(m_s[nNext + 2 + name.size()]))
                Found(*p, nText, nNext - nText);
        }
        m_open.push_back(name);
        return n + 1;
    }

    std::string_view m_s;
    std::uint64_t m_qwFileOffset;
    const char* m_pszWhere;
    std::vector<TextDateCopy>& m_out;
    std::vector<std::string_view> m_open;
    std::vector<Declaration> m_declarations;
};

}  // namespace

void FindXmpDates(const BYTE* pPacket, std::size_t cbPacket, std::uint64_t qwFileOffset, const char* pszWhere,
                  bool bLeaveAlone, std::vector<TextDateCopy>& out)
{
    const std::size_t nFirst = out.size();
    XmpReader reader(std::string_view(reinterpret_cast<const char*>(pPacket), cbPacket), qwFileOffset, pszWhere, out);
    const bool bSound = reader.Read();
    if (!bSound && !bLeaveAlone)
        TX_LOG("XMP packet at %llu is not well-formed: its dates are left alone",
               static_cast<unsigned long long>(qwFileOffset));
    for (std::size_t k = nFirst; k < out.size(); ++k) {
        if (bLeaveAlone || !bSound) {
            out[k].eRefused = ExifWriteResult::NotDateText;
            out[k].pszNote = bLeaveAlone ? "in extended XMP, left as its digest says" : "the XMP packet is not well-formed";
        }
    }
}

bool ReadXmpDates(ByteSource& src, std::uint64_t qwOffset, std::uint64_t qwLength, const char* pszWhere,
                  std::vector<TextDateCopy>& out)
{
    const std::uint64_t qwSize = src.Size();
    if (qwLength > kMaxXmpPacket || qwOffset > qwSize || qwLength > qwSize - qwOffset) {
        TX_LOG("XMP packet at %llu (%llu bytes) outside the file or too large: not read",
               static_cast<unsigned long long>(qwOffset), static_cast<unsigned long long>(qwLength));
        return false;
    }
    std::vector<BYTE> packet(static_cast<std::size_t>(qwLength));
    if (!src.Read(qwOffset, packet.data(), packet.size())) {
        TX_LOG("XMP packet at %llu could not be read whole", static_cast<unsigned long long>(qwOffset));
        return false;
    }
    FindXmpDates(packet.data(), packet.size(), qwOffset, pszWhere, false, out);
    return true;
}

}  // namespace exif
