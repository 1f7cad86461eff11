# Writes OUTPUT: a C++ source holding each file of PROFILES as a (file name, text) pair, available through
# tavelo::platform::EmbeddedProfiles() (declared in simulated/EmbeddedProfiles.h).
set(body "#include \"camera/platform/simulated/EmbeddedProfiles.h\"\n\nnamespace tavelo::platform {\n\nconst std::vector<EmbeddedProfile>& EmbeddedProfiles() {\n  static const std::vector<EmbeddedProfile> profiles = {\n")
foreach(file IN LISTS PROFILES)
  get_filename_component(name ${file} NAME)
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
  string(APPEND body "      {\"${name}\", std::string(\"${escaped}\", sizeof(\"${escaped}\") - 1)},\n")
endforeach()
string(APPEND body "  };\n  return profiles;\n}\n\n}  // namespace tavelo::platform\n")
file(WRITE ${OUTPUT} "${body}")
