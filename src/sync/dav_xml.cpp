#include "sync/dav_xml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "sync/remote_book.h"

namespace tessaly::sync {

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
constexpr qsizetype kMaxTextBytes = 64 * 1024;  // an href, an ETag, a name, a token

void writeProperty(QXmlStreamWriter& xml, DavProperty property) {
    switch (property) {
        case DavProperty::ResourceType:
            return xml.writeEmptyElement(kDav, QStringLiteral("resourcetype"));
        case DavProperty::DisplayName:
            return xml.writeEmptyElement(kDav, QStringLiteral("displayname"));
        case DavProperty::CurrentUserPrincipal:
            return xml.writeEmptyElement(kDav, QStringLiteral("current-user-principal"));
        case DavProperty::AddressBookHomeSet:
            return xml.writeEmptyElement(kCardDav, QStringLiteral("addressbook-home-set"));
        case DavProperty::GetEtag:
            return xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
        case DavProperty::SyncToken:
            return xml.writeEmptyElement(kDav, QStringLiteral("sync-token"));
        case DavProperty::SupportedReportSet:
            return xml.writeEmptyElement(kDav, QStringLiteral("supported-report-set"));
    }
}

template <typename Fill>
QByteArray document(const QString& rootNamespace, const QString& root, Fill fill) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(kDav, QStringLiteral("D"));
    xml.writeNamespace(kCardDav, QStringLiteral("C"));
    xml.writeStartElement(rootNamespace, root);
    fill(xml);
    xml.writeEndDocument();
    return out;
}

[[noreturn]] void unusable(const QString& why) {
    throw RemoteError(RemoteError::Kind::Server,
                      QStringLiteral("The server's answer could not be read (%1).").arg(why));
}

// Element names by namespace: "d:" for DAV:, "c:" for CardDAV, "x:" for any other.
QString keyOf(const QXmlStreamReader& xml) {
    const auto ns = xml.namespaceUri();
    const QString prefix = ns == kDav       ? QStringLiteral("d:")
                           : ns == kCardDav ? QStringLiteral("c:")
                                            : QStringLiteral("x:");
    return prefix + xml.name().toString();
}

int statusOf(const QString& line) {
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const int status = parts.size() >= 2 ? parts[1].toInt() : 0;
    if (status < 100 || status > 599) unusable(QStringLiteral("a status line \"%1\"").arg(line.left(80)));
    return status;
}

bool isEscapedAsIs(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("-._~!$&'()*+,;=:@").contains(c);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// What one <response> holds while it is read.
struct ResponseBeingRead {
    QStringList hrefs;
    int status = 0;
    int firstPropstatStatus = 0;
    bool propertiesFound = false;
    DavResource properties;
};

class MultiStatusReader {
public:
    MultiStatusReader(const QByteArray& body, const QUrl& requestUrl) : xml_(body), base_(requestUrl) {}

    DavMultiStatus read() {
        while (!xml_.atEnd()) {
            switch (xml_.readNext()) {
                case QXmlStreamReader::DTD:
                    unusable(QStringLiteral("it declares a document type"));
                case QXmlStreamReader::StartElement:
                    start();
                    break;
                case QXmlStreamReader::Characters:
                    if (stack_.isEmpty()) break;
                    text_ += xml_.text();
                    if (text_.size() > textLimit()) unusable(QStringLiteral("a text longer than Tessaly accepts"));
                    break;
                case QXmlStreamReader::EndElement:
                    finish();
                    break;
                default:
                    break;
            }
        }
        if (xml_.hasError()) unusable(xml_.errorString());
        if (!sawRoot_) unusable(QStringLiteral("no multistatus"));
        return result_;
    }

private:
    qsizetype textLimit() const {
        return stack_.last() == QLatin1String("c:address-data") ? kMaxAddressDataBytes : kMaxTextBytes;
    }

    void start() {
        const QString key = keyOf(xml_);
        const QString parent = stack_.isEmpty() ? QString() : stack_.last();
        if (stack_.size() >= kMaxXmlDepth) unusable(QStringLiteral("elements nested too deep"));
        if (stack_.isEmpty()) {
            if (key != QLatin1String("d:multistatus")) unusable(QStringLiteral("no multistatus but %1").arg(key));
            sawRoot_ = true;
        }
        stack_.append(key);
        text_.clear();
        if (key == QLatin1String("d:response") && parent == QLatin1String("d:multistatus")) {
            response_ = ResponseBeingRead();
        } else if (key == QLatin1String("d:propstat") && parent == QLatin1String("d:response")) {
            propstat_ = DavResource();
            propstatStatus_ = 0;
        } else if (parent == QLatin1String("d:resourcetype")) {
            if (key == QLatin1String("d:collection")) propstat_.isCollection = true;
            if (key == QLatin1String("c:addressbook")) propstat_.isAddressBook = true;
        } else if (key == QLatin1String("d:supported-report-set") && parent == QLatin1String("d:prop")) {
            propstat_.listsReports = true;
        } else if (key == QLatin1String("d:sync-collection") &&
                   stack_.contains(QLatin1String("d:supported-report-set"))) {
            // Within supported-report/report, or (as Xandikos writes it) directly in supported-report.
            propstat_.supportsSyncCollection = true;
        }
    }

    void finish() {
        const QString key = stack_.takeLast();
        const QString parent = stack_.isEmpty() ? QString() : stack_.last();
        const QString text = text_.trimmed();
        if (key == QLatin1String("d:href")) {
            if (parent == QLatin1String("d:response")) response_.hrefs.append(text);
            if (parent == QLatin1String("d:current-user-principal")) propstat_.principals.append(resolve(text));
            if (parent == QLatin1String("c:addressbook-home-set")) propstat_.homeSets.append(resolve(text));
        } else if (key == QLatin1String("d:status")) {
            if (parent == QLatin1String("d:response")) response_.status = statusOf(text);
            if (parent == QLatin1String("d:propstat")) propstatStatus_ = statusOf(text);
        } else if (key == QLatin1String("d:sync-token") && parent == QLatin1String("d:multistatus")) {
            result_.syncToken = text;
        } else if (parent == QLatin1String("d:prop")) {
            if (key == QLatin1String("d:getetag")) propstat_.etag = text;
            if (key == QLatin1String("d:displayname")) propstat_.displayName = text;
            if (key == QLatin1String("d:sync-token")) propstat_.syncToken = text;
            if (key == QLatin1String("c:address-data")) {
                propstat_.hasAddressData = true;
                propstat_.addressData = text_.toUtf8();  // as sent: a vCard's folding whitespace matters
            }
        } else if (key == QLatin1String("d:propstat") && parent == QLatin1String("d:response")) {
            keepPropstat();
        } else if (key == QLatin1String("d:response") && parent == QLatin1String("d:multistatus")) {
            keepResponse();
        }
        text_.clear();
    }

    void keepPropstat() {
        if (response_.firstPropstatStatus == 0) response_.firstPropstatStatus = propstatStatus_;
        if (propstatStatus_ < 200 || propstatStatus_ > 299) return;
        DavResource& into = response_.properties;
        response_.propertiesFound = true;
        if (!propstat_.etag.isEmpty()) into.etag = propstat_.etag;
        if (!propstat_.displayName.isEmpty()) into.displayName = propstat_.displayName;
        if (!propstat_.syncToken.isEmpty()) into.syncToken = propstat_.syncToken;
        into.isCollection |= propstat_.isCollection;
        into.isAddressBook |= propstat_.isAddressBook;
        into.listsReports |= propstat_.listsReports;
        into.supportsSyncCollection |= propstat_.supportsSyncCollection;
        into.principals += propstat_.principals;
        into.homeSets += propstat_.homeSets;
        if (propstat_.hasAddressData) {
            into.hasAddressData = true;
            into.addressData = propstat_.addressData;
        }
    }

    void keepResponse() {
        if (response_.hrefs.isEmpty()) unusable(QStringLiteral("a response without href"));
        for (const QString& href : std::as_const(response_.hrefs)) {
            DavResource resource = response_.properties;
            resource.url = resolve(href);
            resource.path = normalizedPath(resource.url);
            resource.status = response_.status            ? response_.status
                              : response_.propertiesFound ? 200
                                                          : response_.firstPropstatStatus;
            result_.resources.append(resource);
        }
    }

    QUrl resolve(const QString& href) const {
        const QUrl url = base_.resolved(QUrl(href, QUrl::TolerantMode));
        const int defaultPort = base_.scheme() == QLatin1String("https") ? 443 : 80;
        const bool sameServer = url.scheme() == base_.scheme() &&
                                url.host().compare(base_.host(), Qt::CaseInsensitive) == 0 &&
                                url.port(defaultPort) == base_.port(defaultPort);
        if (href.isEmpty() || !url.isValid() || !sameServer)
            unusable(QStringLiteral("it names \"%1\", which is not on this server").arg(href.left(200)));
        return url;
    }

    QXmlStreamReader xml_;
    const QUrl base_;
    QStringList stack_;
    QString text_;
    bool sawRoot_ = false;
    ResponseBeingRead response_;
    DavResource propstat_;
    int propstatStatus_ = 0;
    DavMultiStatus result_;
};

}  // namespace

QByteArray propfindBody(const QList<DavProperty>& properties) {
    return document(kDav, QStringLiteral("propfind"), [&](QXmlStreamWriter& xml) {
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        for (const DavProperty property : properties) writeProperty(xml, property);
        xml.writeEndElement();
    });
}

QByteArray syncCollectionBody(const QString& token) {
    return document(kDav, QStringLiteral("sync-collection"), [&](QXmlStreamWriter& xml) {
        xml.writeTextElement(kDav, QStringLiteral("sync-token"), token);
        xml.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        writeProperty(xml, DavProperty::GetEtag);
        xml.writeEndElement();
    });
}

QByteArray addressbookMultigetBody(const QStringList& paths) {
    return document(kCardDav, QStringLiteral("addressbook-multiget"), [&](QXmlStreamWriter& xml) {
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        writeProperty(xml, DavProperty::GetEtag);
        xml.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
        xml.writeEndElement();
        for (const QString& path : paths) xml.writeTextElement(kDav, QStringLiteral("href"), path);
    });
}

DavMultiStatus parseMultiStatus(const QByteArray& body, const QUrl& requestUrl) {
    return MultiStatusReader(body, requestUrl).read();
}

bool namesDavPrecondition(const QByteArray& body, const QString& name) {
    QXmlStreamReader xml(body);
    for (int depth = 0; !xml.atEnd() && depth < kMaxXmlDepth;) {
        switch (xml.readNext()) {
            case QXmlStreamReader::DTD:
                return false;
            case QXmlStreamReader::StartElement:
                if (xml.namespaceUri() == kDav && xml.name() == name) return true;
                ++depth;
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                break;
            default:
                break;
        }
    }
    return false;
}

QString normalizedPath(const QUrl& url) {
    const QByteArray raw = url.path(QUrl::FullyEncoded).toUtf8();
    QByteArray out;
    out.reserve(raw.size());
    const auto append = [&out](char c) {
        if (isEscapedAsIs(c)) {
            out += c;
        } else {
            out += '%';
            out += QByteArray::number(static_cast<uchar>(c), 16).rightJustified(2, '0').toUpper();
        }
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '%' && i + 2 < raw.size() && hexValue(raw[i + 1]) >= 0 && hexValue(raw[i + 2]) >= 0) {
            append(static_cast<char>(hexValue(raw[i + 1]) * 16 + hexValue(raw[i + 2])));
            i += 2;
        } else if (c == '/') {
            out += c;
        } else {
            append(c);
        }
    }
    return QString::fromLatin1(out.isEmpty() ? QByteArray("/") : out);
}

}  // namespace tessaly::sync
