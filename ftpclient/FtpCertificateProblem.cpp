// German words for OpenSSL's certificate verification results; the user sees these, the
// English ones go to the log book only.
#include <openssl/x509_vfy.h>

#include "FtpTexts.h"
#include "FtpTls.h"

namespace texts = ftp::texts;

std::string FtpCertificateProblemText(long verifyResult) {
  switch (verifyResult) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
      return texts::kCertSelfSigned;
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
      return texts::kCertSelfSignedInChain;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_NO_ISSUER_PUBLIC_KEY:
      return texts::kCertUnknownIssuer;
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return texts::kCertExpired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return texts::kCertNotYetValid;
    case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
    case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
      return texts::kCertBadDates;
    case X509_V_ERR_HOSTNAME_MISMATCH:
      return texts::kCertHostMismatch;
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return texts::kCertAddressMismatch;
    case X509_V_ERR_CERT_REVOKED:
      return texts::kCertRevoked;
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
    case X509_V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE:
    case X509_V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY:
      return texts::kCertBadSignature;
    case X509_V_ERR_INVALID_PURPOSE:
    case X509_V_ERR_KEYUSAGE_NO_DIGITAL_SIGNATURE:
      return texts::kCertNotForServers;
    case X509_V_ERR_INVALID_CA:
    case X509_V_ERR_INVALID_NON_CA:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN:
      return texts::kCertInvalidIssuer;
    case X509_V_ERR_CERT_CHAIN_TOO_LONG:
    case X509_V_ERR_PATH_LENGTH_EXCEEDED:
    case X509_V_ERR_PATH_LOOP:
      return texts::kCertChainTooLong;
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_CERT_REJECTED:
      return texts::kCertUntrusted;
    case X509_V_ERR_EE_KEY_TOO_SMALL:
    case X509_V_ERR_CA_KEY_TOO_SMALL:
    case X509_V_ERR_CA_MD_TOO_WEAK:
    case X509_V_ERR_UNSUPPORTED_SIGNATURE_ALGORITHM:
      return texts::kCertTooWeak;
    default:
      return texts::kCertOther;
  }
}
