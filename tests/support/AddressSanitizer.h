// Whether the tests run under AddressSanitizer: it reserves a large address space of its own
// and ends a process whose allocation fails, so a test that limits the address space cannot
// run under it.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif
