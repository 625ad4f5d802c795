// Values as the trace writes them, appended to a string.
#ifndef VANTOREL_HOST_TRACE_FORMAT_H
#define VANTOREL_HOST_TRACE_FORMAT_H

#include <Orbitersdk.h>

#include <cstdint>
#include <string>

namespace host::detail {

// Shortest round-trip form, always with '.' or an exponent; NaN and
// infinities as the strings "nan", "inf", "-inf".
void put_double(std::string& out, double v);
void put_int(std::string& out, std::int64_t v);
// Quoted, with JSON escapes.
void put_string(std::string& out, const char* s);
void put_string(std::string& out, const std::string& s);
void put_vec(std::string& out, const VECTOR3& v);
// "KIND:V:N" (quoted), meshes as "mesh:<name>", null as null, a foreign
// value as "unknown:0x...".
void put_handle(std::string& out, const void* h);

}  // namespace host::detail

#endif
