# The style sheet parser with the cascade over its rules, the style attribute parser, and the
# colour parser.
folio_fuzz(css_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/css_fuzz.cpp LIBS folio_style)
folio_fuzz(style_attr_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/style_attr_fuzz.cpp LIBS folio_style)
folio_fuzz(color_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/color_fuzz.cpp LIBS folio_style)
