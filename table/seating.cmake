# Seat records and their pure readings are plain code; the table window is the client's.
target_sources(vexal_core PRIVATE players.cpp session.cpp tablegeometry.cpp)
if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE mainform.cpp widgets.cpp frame.cpp panels.cpp windows.cpp webpanel.cpp
                 pictures.cpp seating.cpp departures.cpp exit.cpp shuffle.cpp
                 tablesession.h)
endif()
