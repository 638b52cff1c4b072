#!/usr/bin/env bash
# The throughput benchmark over explicit TLS: bench/ftpclient/tls_throughput.sh [LADEKO_FTP] [SIZE_MIB] [ROUNDS]
exec "$(cd "$(dirname "$0")" && pwd)/throughput.sh" --tls "$@"
