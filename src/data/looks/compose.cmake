# The looks' style sheets, composed from one template and a table of palettes
# (see palettes.txt for its form). The template writes each colour a look
# chooses as @role@, and its header names the look with @look@ and @title@.
#
# Anything on which the two files disagree stops the configuration, naming
# what is wrong: a placeholder without a row, a row that no placeholder uses, a
# row without a colour for every look, a look without a title. A placeholder
# left in a sheet would make the toolkit reject the whole sheet when the look
# is chosen, leaving the windows undressed.

set(QUARNEL_LOOK_COUNT 8)

# Writes style_0.qss ... style_7.qss into output_dir and lists their paths in
# out_files. A sheet is rewritten only when its text changes, so that the
# resources are not rebuilt at every configuration.
function(quarnel_compose_looks template palettes output_dir out_files)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${template}" "${palettes}")
    math(EXPR last_look "${QUARNEL_LOOK_COUNT} - 1")

    # One colour, as the template will receive it: #rgb to #aarrggbb, or
    # rgb()/rgba() with its numbers.
    set(colour "#[0-9a-fA-F]+|rgba?\\([0-9., ]+\\)")

    file(STRINGS "${palettes}" rows)
    set(roles "")
    foreach(row IN LISTS rows)
        if(row MATCHES "^[ \t]*(#.*)?$")
            continue()
        elseif(row MATCHES "^title[ \t]+([0-9]+)[ \t]+([^ \t].*)$")
            set(look "${CMAKE_MATCH_1}")
            string(STRIP "${CMAKE_MATCH_2}" title)
            if(look GREATER last_look)
                message(FATAL_ERROR "${palettes}: a title for look ${look}, but the looks are 0 to ${last_look}")
            endif()
            if(DEFINED title_${look})
                message(FATAL_ERROR "${palettes}: look ${look} has two titles")
            endif()
            set(title_${look} "${title}")
        elseif(row MATCHES "^([a-z][a-z0-9-]*)(([ \t]+(${colour}))+)[ \t]*$")
            set(role "${CMAKE_MATCH_1}")
            string(REGEX MATCHALL "${colour}" colours "${CMAKE_MATCH_2}")
            list(LENGTH colours count)
            if(NOT count EQUAL QUARNEL_LOOK_COUNT)
                message(FATAL_ERROR
                    "${palettes}: the row ${role} has ${count} colours, one for each of the ${QUARNEL_LOOK_COUNT} looks wanted")
            endif()
            if(role IN_LIST roles)
                message(FATAL_ERROR "${palettes}: the role ${role} is given twice")
            endif()
            list(APPEND roles "${role}")
            set(colours_${role} "${colours}")
        else()
            message(FATAL_ERROR "${palettes}: cannot read the line \"${row}\"")
        endif()
    endforeach()

    file(READ "${template}" sheet_template)
    foreach(role IN LISTS roles)
        string(FIND "${sheet_template}" "@${role}@" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "${palettes}: the role ${role} is not used by ${template}")
        endif()
    endforeach()

    file(MAKE_DIRECTORY "${output_dir}")
    set(files "")
    foreach(look RANGE ${last_look})
        if(NOT DEFINED title_${look})
            message(FATAL_ERROR "${palettes}: look ${look} has no title")
        endif()
        set(sheet "${sheet_template}")
        string(REPLACE "@look@" "${look}" sheet "${sheet}")
        string(REPLACE "@title@" "${title_${look}}" sheet "${sheet}")
        foreach(role IN LISTS roles)
            list(GET colours_${role} ${look} value)
            string(REPLACE "@${role}@" "${value}" sheet "${sheet}")
        endforeach()
        string(REGEX MATCH "@[A-Za-z0-9_-]+@" left "${sheet}")
        if(left)
            message(FATAL_ERROR "${template} uses ${left}, which has no row in ${palettes}")
        endif()

        set(file "${output_dir}/style_${look}.qss")
        set(previous "")
        if(EXISTS "${file}")
            file(READ "${file}" previous)
        endif()
        if(NOT "${previous}" STREQUAL "${sheet}")
            file(WRITE "${file}" "${sheet}")
        endif()
        list(APPEND files "${file}")
    endforeach()
    set(${out_files} "${files}" PARENT_SCOPE)
endfunction()
