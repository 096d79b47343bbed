# What goes into the reader library: position-independent, for a shared
# object, and with every symbol hidden, so only what the library exports
# leaves it and none of its own meets a program's of the same name.
function(qor_keep_symbols_inside target)
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
  )
endfunction()
