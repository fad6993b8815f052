// libFuzzer target: any bytes as a CardDAV server's 207 Multi-Status or error body. Reading must not
// crash or hang; what it accepts keeps its bounds, and every path it gives is in its one spelling.
#include "sync/dav_xml.h"
#include "sync/remote_book.h"

#include <cstdio>
#include <cstdlib>

using namespace tessaly::sync;

namespace {

void check(bool holds, const char* what, const QString& detail) {
    if (holds) return;
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail));
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QUrl requestUrl(QStringLiteral("http://127.0.0.1:5232/alice/contacts/"));
    namesDavPrecondition(bytes, QStringLiteral("valid-sync-token"));
    try {
        for (const DavResource& resource : parseMultiStatus(bytes, requestUrl).resources) {
            check(resource.url.host() == requestUrl.host(), "an href on another server kept", resource.url.toString());
            check(resource.path.startsWith(QLatin1Char('/')), "a path not absolute", resource.path);
            QUrl again = requestUrl;
            again.setPath(resource.path, QUrl::TolerantMode);
            check(normalizedPath(again) == resource.path, "a path that normalises again differently", resource.path);
            check(resource.addressData.size() <= 4 * kMaxAddressDataBytes, "a vCard over its bound",
                  QString::number(resource.addressData.size()));
        }
    } catch (const RemoteError&) {
        // Refused as unusable: what it is for.
    }
    return 0;
}
