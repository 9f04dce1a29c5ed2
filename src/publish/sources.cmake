list(APPEND MIRAVEL_CORE_SOURCES
  publish/Publisher.cpp
  publish/PublishWriter.cpp
  publish/PublishRankings.cpp
  publish/PublishResume.cpp
)
