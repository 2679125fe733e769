# ilvane_content(TARGET name SOURCE dir DATA dir PAK file [WORK dir])
# Builds a content folder: the data folder DATA (what the game reads, loose) and the archive PAK made from it.
#   SOURCE/art/*.xml     art recipes      -> ilvane-art        (pictures, sprite sheets, .anm files)
#   SOURCE/fonts/*.xml   font recipes     -> ilvane-fontsheet  (glyph sheets and their descriptors)
#   SOURCE/sounds/*.xml  sound recipes    -> ilvane-sound      (WAV and Ogg files)
#   any other SOURCE/**/<file>.xml, with the fragments SOURCE/**/<file>.d/*.xml
#                                         -> ilvane-xmlconv    (DATA/**/<file>.xml, UTF-16LE with a mark)
# Each generator run writes a list of the files it made into WORK; the pack holds exactly the listed files, in
# name order, with one fixed time. The tools are found as targets of these names (imported ones will do). Every
# step depends only on its own sources and tool, so a build with nothing changed does nothing.
function(ilvane_content)
    cmake_parse_arguments(ARG "" "TARGET;SOURCE;DATA;PAK;WORK" "" ${ARGN})
    if(NOT ARG_WORK)
        set(ARG_WORK ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}-work)
    endif()
    set(lists)
    set(outputs)

    # Configuration XML: main files and fragment folders.
    file(GLOB_RECURSE xml_files CONFIGURE_DEPENDS RELATIVE ${ARG_SOURCE} ${ARG_SOURCE}/*.xml)
    list(FILTER xml_files EXCLUDE REGEX "^(art|fonts|sounds)/")
    set(targets)
    foreach(file IN LISTS xml_files)
        if(file MATCHES "^(.*)\\.d/[^/]*\\.xml$")
            list(APPEND targets ${CMAKE_MATCH_1}.xml)
        else()
            list(APPEND targets ${file})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES targets)
    list(SORT targets)
    foreach(target IN LISTS targets)
        string(REGEX REPLACE "\\.xml$" ".d" fragment_folder ${target})
        file(GLOB fragments CONFIGURE_DEPENDS ${ARG_SOURCE}/${fragment_folder}/*.xml)
        list(SORT fragments)
        if(EXISTS ${ARG_SOURCE}/${target})
            set(main ${ARG_SOURCE}/${target})
            set(main_depends ${main})
        else()
            set(main_depends)
            # A file made of fragments alone gets the root element the game looks for.
            get_filename_component(stem ${target} NAME_WE)
            if(stem STREQUAL "effect")
                set(main --root effects)
            else()
                set(main --root root)
            endif()
        endif()
        add_custom_command(OUTPUT ${ARG_DATA}/${target}
            COMMAND ilvane-xmlconv -o ${ARG_DATA}/${target} --origins ${ARG_WORK}/origins/${target}.origins
                    ${main} ${fragments}
            DEPENDS ilvane-xmlconv ${main_depends} ${fragments}
            BYPRODUCTS ${ARG_WORK}/origins/${target}.origins
            COMMENT "Content: ${target}"
            VERBATIM)
        list(APPEND outputs ${ARG_DATA}/${target})
    endforeach()
    list(JOIN targets "\n" xml_list)
    # Written at configure time beside the build files and copied by the build, so that deleting the work folder
    # never leaves the pack without a rule.
    file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}-xml.list CONTENT "${xml_list}\n")
    add_custom_command(OUTPUT ${ARG_WORK}/lists/xml.list
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}-xml.list ${ARG_WORK}/lists/xml.list
        DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}-xml.list
        VERBATIM)
    list(APPEND lists ${ARG_WORK}/lists/xml.list)

    # Generated art, fonts and sounds: one run per recipe.
    foreach(kind art fonts sounds)
        if(kind STREQUAL "art")
            set(tool ilvane-art)
        elseif(kind STREQUAL "fonts")
            set(tool ilvane-fontsheet)
        else()
            set(tool ilvane-sound)
        endif()
        file(GLOB recipes CONFIGURE_DEPENDS ${ARG_SOURCE}/${kind}/*.xml)
        # Recipes are run from the kind's folder only; one in a subfolder would silently make nothing.
        file(GLOB_RECURSE nested CONFIGURE_DEPENDS RELATIVE ${ARG_SOURCE} ${ARG_SOURCE}/${kind}/*/*.xml)
        if(nested)
            list(JOIN nested ", " nested_text)
            message(FATAL_ERROR "${ARG_SOURCE}: recipes in a subfolder of ${kind}/ are neither run nor converted: "
                "${nested_text}; move them into ${kind}/")
        endif()
        list(SORT recipes)
        foreach(recipe IN LISTS recipes)
            get_filename_component(name ${recipe} NAME_WE)
            set(list_file ${ARG_WORK}/lists/${kind}-${name}.list)
            add_custom_command(OUTPUT ${list_file}
                COMMAND ${tool} ${recipe} ${ARG_DATA} ${list_file}
                DEPENDS ${tool} ${recipe}
                COMMENT "Content: ${kind}/${name}"
                VERBATIM)
            list(APPEND lists ${list_file})
            list(APPEND outputs ${list_file})
        endforeach()
    endforeach()

    add_custom_command(OUTPUT ${ARG_PAK}
        COMMAND ilvane-pak ${ARG_PAK} ${ARG_DATA} --lists ${lists}
        DEPENDS ilvane-pak ${outputs} ${lists}
        COMMENT "Content: ${ARG_PAK}"
        VERBATIM)
    add_custom_target(${ARG_TARGET} ALL DEPENDS ${ARG_PAK})
endfunction()
