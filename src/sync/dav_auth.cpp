#include "sync/dav_auth.h"

#include <QCryptographicHash>
#include <QMap>
#include <cstring>

namespace tessaly::sync {

namespace {

bool isTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

// Reads the challenges of one header value (RFC 7235: a scheme, then name=value pairs or a token68,
// the challenges and their parameters all separated by commas).
class ChallengeReader {
public:
    explicit ChallengeReader(const QByteArray& text) : text_(text) {}

    struct Raw {
        QByteArray scheme;
        QMap<QByteArray, QByteArray> params;  // names in lower case
    };

    QList<Raw> readAll() {
        QList<Raw> challenges;
        while (true) {
            skip(" \t,");
            const QByteArray scheme = token();
            if (scheme.isEmpty()) break;
            Raw raw{scheme.toLower(), {}};
            while (true) {
                skip(" \t");
                const int mark = pos_;
                const QByteArray name = token();
                skip(" \t");
                if (name.isEmpty() || !take('=')) {
                    pos_ = mark;  // the next challenge's scheme, or a token68 this client does not use
                    if (name.isEmpty()) skipToComma();
                    break;
                }
                skip(" \t");
                raw.params[name.toLower()] = value();
                skip(" \t");
                if (!take(',')) break;
            }
            challenges.append(raw);
            if (pos_ < text_.size() && text_[pos_] != ',' && !isTokenChar(text_[pos_])) skipToComma();
        }
        return challenges;
    }

private:
    void skip(const char* chars) {
        while (pos_ < text_.size() && std::strchr(chars, text_[pos_])) ++pos_;
    }
    void skipToComma() {
        while (pos_ < text_.size() && text_[pos_] != ',') ++pos_;
    }
    bool take(char c) {
        if (pos_ >= text_.size() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }
    QByteArray token() {
        const int start = pos_;
        while (pos_ < text_.size() && isTokenChar(text_[pos_])) ++pos_;
        return text_.mid(start, pos_ - start);
    }
    QByteArray value() {
        if (!take('"')) return token();
        QByteArray out;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
            out += text_[pos_++];
        }
        take('"');
        return out;
    }

    const QByteArray& text_;
    int pos_ = 0;
};

std::optional<QCryptographicHash::Algorithm> hashOf(const QByteArray& algorithm) {
    const QByteArray base = algorithm.toUpper().chopped(algorithm.toUpper().endsWith("-SESS") ? 5 : 0);
    if (base == "MD5") return QCryptographicHash::Md5;
    if (base == "SHA-256") return QCryptographicHash::Sha256;
    return std::nullopt;
}

int strength(const DavChallenge& c) {
    if (c.scheme == DavChallenge::Scheme::Basic) return 1;
    return hashOf(c.algorithm) == QCryptographicHash::Sha256 ? 3 : 2;
}

QByteArray quoted(const QByteArray& text) {
    QByteArray out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

}  // namespace

std::optional<DavChallenge> strongestChallenge(const QList<QByteArray>& headerValues) {
    std::optional<DavChallenge> best;
    for (const QByteArray& value : headerValues) {
        for (const auto& raw : ChallengeReader(value).readAll()) {
            DavChallenge challenge;
            challenge.realm = raw.params.value("realm");
            if (raw.scheme == "basic") {
                challenge.scheme = DavChallenge::Scheme::Basic;
            } else if (raw.scheme == "digest") {
                challenge.scheme = DavChallenge::Scheme::Digest;
                challenge.nonce = raw.params.value("nonce");
                challenge.opaque = raw.params.value("opaque");
                challenge.algorithm = raw.params.value("algorithm", "MD5").toUpper();
                challenge.stale = raw.params.value("stale").toLower() == "true";
                const QByteArray qop = raw.params.value("qop");
                for (const QByteArray& option : qop.split(','))
                    if (option.trimmed() == "auth") challenge.qopAuth = true;
                // A qop list without plain "auth" (auth-int only) cannot be answered.
                if (challenge.nonce.isEmpty() || !hashOf(challenge.algorithm) || (!qop.isEmpty() && !challenge.qopAuth))
                    continue;
            } else {
                continue;
            }
            if (!best || strength(challenge) > strength(*best)) best = challenge;
        }
    }
    return best;
}

QByteArray authorizationFor(const DavChallenge& challenge, const QString& user, const QString& password,
                            const QByteArray& method, const QByteArray& requestTarget, quint32 nonceCount,
                            const QByteArray& clientNonce) {
    if (challenge.scheme == DavChallenge::Scheme::Basic)
        return "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    const auto algorithm = *hashOf(challenge.algorithm);
    const auto hash = [algorithm](const QByteArray& text) { return QCryptographicHash::hash(text, algorithm).toHex(); };
    QByteArray ha1 = hash(user.toUtf8() + ':' + challenge.realm + ':' + password.toUtf8());
    if (challenge.algorithm.endsWith("-SESS")) ha1 = hash(ha1 + ':' + challenge.nonce + ':' + clientNonce);
    const QByteArray ha2 = hash(method + ':' + requestTarget);
    const QByteArray count = QByteArray::number(nonceCount, 16).rightJustified(8, '0');
    const QByteArray response =
        challenge.qopAuth ? hash(ha1 + ':' + challenge.nonce + ':' + count + ':' + clientNonce + ":auth:" + ha2)
                          : hash(ha1 + ':' + challenge.nonce + ':' + ha2);
    QByteArray header = "Digest username=" + quoted(user.toUtf8()) + ", realm=" + quoted(challenge.realm) +
                        ", nonce=" + quoted(challenge.nonce) + ", uri=" + quoted(requestTarget) +
                        ", algorithm=" + challenge.algorithm + ", response=" + quoted(response);
    if (challenge.qopAuth) header += ", qop=auth, nc=" + count + ", cnonce=" + quoted(clientNonce);
    if (!challenge.opaque.isEmpty()) header += ", opaque=" + quoted(challenge.opaque);
    return header;
}

}  // namespace tessaly::sync
