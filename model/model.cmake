# The table's model: the session and the round as plain data and the decisions taken on them.
# No Qt: everything here is tested without a window, and the server shares the settlement lines.
target_sources(vexal_core PRIVATE players.cpp session.cpp roundstate.cpp settlementlines.cpp sessionmodel.cpp
               roundmodel.cpp rounddeal.cpp roundplay.cpp roundsettlement.cpp)
