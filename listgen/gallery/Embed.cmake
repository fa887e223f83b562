# Writes a C++ header holding the gallery page's style and script as string
# views, each file's bytes unchanged (the page names them by their SHA-256
# in its Content-Security-Policy, so not a byte may differ from the file).
#   cmake -DCSS=gallery.css -DJS=gallery.js -DOUT=GalleryAssets.h -P Embed.cmake
function(embed variable file delimiter out)
  file(READ "${file}" content)
  string(FIND "${content}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the raw string's delimiter )${delimiter}\"")
  endif()
  string(APPEND ${out} "inline constexpr std::string_view ${variable} = R\"${delimiter}(${content})${delimiter}\";\n")
  set(${out} "${${out}}" PARENT_SCOPE)
endfunction()

set(header "// Made at build time from listgen/gallery/ by Embed.cmake; edit those files.\n#pragma once\n\n#include <string_view>\n\nnamespace htmlimglist {\n\n")
embed(kGalleryCss "${CSS}" "gallerycss" header)
embed(kGalleryScript "${JS}" "galleryjs" header)
string(APPEND header "\n}  // namespace htmlimglist\n")
file(WRITE "${OUT}.tmp" "${header}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
