// The flight page's script and style, bundled by esbuild from sim/page/src
// during the build and compiled in; empty when the build had no node.
#ifndef VANTOREL_SIM_PAGE_PAGE_BUNDLE_H
#define VANTOREL_SIM_PAGE_PAGE_BUNDLE_H

#include <string_view>

namespace vantorel_sim::page {

extern const std::string_view kPageScript;
extern const std::string_view kPageStyle;

}  // namespace vantorel_sim::page

#endif
